#include "app/endpoint.h"

#include <stdexcept>
#include <string_view>

namespace
{

[[noreturn]] void refuse(const char* reason)
{
    throw std::runtime_error(std::string("Invalid endpoint: ") + reason);
}

/// The port text of the URL's authority; empty when it has none.
std::string_view portText(std::string_view text)
{
    std::string_view authority = text.substr(text.find("://") + 3);
    authority = authority.substr(0, authority.find_first_of("/?"));
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    // The colons of an IPv6 literal are not the port's.
    size_t close = !authority.empty() && authority[0] == '[' ? authority.find(']') : 0;
    size_t colon = authority.find(':', close == std::string_view::npos ? 0 : close);
    return colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
}

} // namespace

Kestrava::Browse::Url endpoint(const std::string& text)
{
    std::string_view view(text);
    if (view.substr(0, 7) != "http://" && view.substr(0, 8) != "https://")
        refuse("the scheme must be http or https");
    Kestrava::Browse::Url url(text.data(), text.size());
    std::string_view port = portText(view);
    if (!port.empty() &&
        (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos ||
         url.port() == 0 || url.port() > 65535))
        refuse("the port must be a number from 1 to 65535");
    for (const char* octet = url.path(); octet != nullptr && *octet != '\0'; ++octet)
        if (static_cast<unsigned char>(*octet) <= ' ' || *octet == 127)
            refuse("the path holds a blank or a control character");
    return url;
}
