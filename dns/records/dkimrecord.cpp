#include "dns/records/dkimrecord.h"

#include "dns/records/mismatch.h"

#include <cctype>
#include <set>
#include <stdexcept>

namespace Kestrava
{
namespace Dns
{

namespace
{

bool blank(char c)
{
    return isspace(static_cast<unsigned char>(c)) != 0;
}

std::string trimmed(const std::string& text, size_t begin, size_t end)
{
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

DkimRecord::DkimRecord(const ns_msg* message, int index) : TxtRecord(message, index)
{
    parse(text());
}

void DkimRecord::parse(const std::string& text)
{
    if (text.find('\0') != std::string::npos) throw std::runtime_error("NUL in DKIM key record");
    std::set<const std::string*> given;
    size_t position = 0;
    while (position < text.size())
    {
        size_t equals = text.find('=', position);
        if (equals == std::string::npos) break;
        size_t end = text.find(';', equals + 1);
        if (end == std::string::npos) end = text.size();
        // Folding white space may stand around a name (RFC 6376 3.2).
        if (std::string* value = field(trimmed(text, position, equals)))
        {
            if (!given.insert(value).second)
                throw std::runtime_error("duplicate tag in DKIM key record");
            *value = trimmed(text, equals + 1, end);
        }
        position = end + 1;
    }
    // An empty v= is no "DKIM1" either.
    if (given.count(&_v) > 0 && _v != "DKIM1") throw Mismatch(ns_t_txt, ns_t_txt);
    // Their grammar needs a value (RFC 6376 3.6.1); an empty p= is a revoked
    // key, and empty h= and t= lists restrict nothing.
    for (const std::string* required : {&_k, &_s})
        if (given.count(required) > 0 && required->empty())
            throw std::runtime_error("empty tag in DKIM key record");
}

std::string* DkimRecord::field(const std::string& tag)
{
    // Whole names, case-sensitive: "hash" is not "h", "pk" not "p".
    const std::pair<const char*, std::string*> fields[] = {{"v", &_v}, {"k", &_k}, {"s", &_s},
                                                           {"h", &_h}, {"p", &_p}, {"t", &_t}};
    for (const auto& known : fields)
        if (tag == known.first) return known.second;
    return nullptr;
}

} // namespace Dns
} // namespace Kestrava
