#include "dns/records/txtrecord.h"

#include <stdexcept>

namespace Kestrava
{
namespace Dns
{

TxtRecord::TxtRecord(const ns_msg* message, int index) : Record(message, index, ns_t_txt)
{
    const std::string& data = this->data();
    // Every string counts, empty ones included (RFC 6376 3.6.2.2 joins them
    // all): one cut short would change the key it carries.
    for (size_t position = 0; position < data.size();)
    {
        size_t length = static_cast<unsigned char>(data[position++]);
        if (length > data.size() - position) throw std::runtime_error("malformed TXT record");
        _text.append(data, position, length);
        position += length;
    }
}

} // namespace Dns
} // namespace Kestrava
