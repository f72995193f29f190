#include "app/addresses.h"

#include <sstream>

namespace
{

/// Replaces the password of the user information of an address text with
/// "****". The parser ends user information at the first '@' before any '/'
/// or '?', so neither the user nor the password holds one of those.
std::string masked(std::string text)
{
    size_t start = text.find("://");
    if (start == std::string::npos) return text;
    start += 3;
    size_t at = text.find('@', start);
    if (at == std::string::npos || at > text.find_first_of("/?", start)) return text;
    size_t colon = text.find(':', start);
    if (colon == std::string::npos || colon > at || colon + 1 == at) return text;
    return text.replace(colon + 1, at - colon - 1, "****");
}

} // namespace

Addresses::Addresses(const std::string& list)
{
    size_t start = 0;
    while (true)
    {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        emplace_back(list.data() + start, end - start);
        if (end == list.size()) return;
        start = end + 1;
    }
}

std::string written(const AMQP::Address& address)
{
    std::ostringstream stream;
    stream << address;
    return masked(stream.str());
}

std::string text(const AMQP::Address& address)
{
    return masked(std::string(address));
}
