#include "mime/dkim/dkimheaderfields.h"

#include "filter/result.h"
#include "mime/dkim/dkimtags.h"
#include "mime/fields/whitespace.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

DkimHeaderFields::DkimHeaderFields(const char* data, size_t size)
{
    std::string name;
    size_t i = Whitespace(data, size, false).consumed();
    i += DkimFieldname(name, data + i, size - i).size;
    names.push_back(name);
    while (i < size)
    {
        size_t after = i + Whitespace(data + i, size - i, false).consumed();
        if (after >= size || data[after] == ';') break;
        if (data[after] != ':') throw std::runtime_error("missing :");
        i = after + 1;
        i += Whitespace(data + i, size - i, false).consumed();
        i += DkimFieldname(name, data + i, size - i).size;
        names.push_back(name);
    }
    this->size = i;
}

size_t DkimHeaderFields::encode(const Capabilities&, Filter::Result* output, bool final) const
{
    // The column starts after the "h=" written before the list.
    size_t column = 2;
    size_t written = 0;
    for (size_t i = 0; i < names.size(); ++i)
    {
        const std::string& name = names[i];
        if (i > 0)
        {
            if (column >= 74)
            {
                written += output->append(" :", 2, true);
                column = 1;
            }
            else if (column == 73)
            {
                written += output->append(": ", 2, true);
                column = 0;
            }
            else
            {
                written += output->append(":", 1, true);
                ++column;
            }
        }
        if (column + name.size() <= 74)
            column += name.size();
        else
        {
            written += output->append(" ", 1, true);
            column = name.size();
        }
        written += output->append(name.data(), name.size(), final);
    }
    return written;
}

} // namespace Mime
} // namespace Kestrava
