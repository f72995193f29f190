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
    if (!_v.empty() && _v != "DKIM1") throw Mismatch(ns_t_txt, ns_t_txt);
}

void DkimRecord::parse(const std::string& text)
{
    if (text.find('\0') != std::string::npos) throw std::runtime_error("NUL in DKIM key record");
    std::set<const std::string*> given;
    // The first tag starts exactly where the text does; later ones after
    // their white space.
    size_t position = 0;
    while (position < text.size())
    {
        size_t equals = text.find('=', position);
        if (equals == std::string::npos) break;
        size_t end = text.find(';', equals + 1);
        if (end == std::string::npos) end = text.size();
        std::string tag = text.substr(position, equals - position);
        if (std::string* value = field(tag))
        {
            if (!given.insert(value).second)
                throw std::runtime_error("duplicate tag in DKIM key record");
            *value = trimmed(text, equals + 1, end);
        }
        position = end + 1;
        while (position < text.size() && blank(text[position]))
            ++position;
    }
}

std::string* DkimRecord::field(const std::string& tag)
{
    if (tag.empty()) return nullptr;
    switch (tag[0])
    {
    case 'v':
        return &_v;
    case 'k':
        return &_k;
    case 's':
        return &_s;
    case 'h':
        return &_h;
    case 'p':
        return &_p;
    case 't':
        return &_t;
    default:
        return nullptr;
    }
}

} // namespace Dns
} // namespace Kestrava
