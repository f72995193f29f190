#include "app/endpoint.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace
{

[[noreturn]] void refuse(const char* reason)
{
    throw std::runtime_error(std::string("Invalid endpoint: ") + reason);
}

/// Where the URL's authority starts and where the path and query after it start.
size_t authorityStart(std::string_view text)
{
    return text.find("://") + 3;
}

size_t pathStart(std::string_view text)
{
    size_t start = text.find_first_of("/?", authorityStart(text));
    return start == std::string_view::npos ? text.size() : start;
}

/// The port text of the URL's authority; empty when it has none.
std::string_view portText(std::string_view text)
{
    std::string_view authority =
        text.substr(authorityStart(text), pathStart(text) - authorityStart(text));
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    // The colons of an IPv6 literal are not the port's.
    size_t close = !authority.empty() && authority[0] == '[' ? authority.find(']') : 0;
    size_t colon = authority.find(':', close == std::string_view::npos ? 0 : close);
    return colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
}

bool validPort(std::string_view port)
{
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    unsigned long number = std::stoul(std::string(port));
    return number >= 1 && number <= 65535;
}

} // namespace

// The text is checked as the operator wrote it: the URL class would encode
// blanks in the path and refuse a wrong port in words of its own.
Kestrava::Browse::Url endpoint(const std::string& text)
{
    std::string_view view(text);
    if (view.substr(0, 7) != "http://" && view.substr(0, 8) != "https://")
        refuse("the scheme must be http or https");
    std::string_view port = portText(view);
    if (!port.empty() && !validPort(port)) refuse("the port must be a number from 1 to 65535");
    for (char octet : view.substr(pathStart(view)))
        if (static_cast<unsigned char>(octet) <= ' ' || octet == 127)
            refuse("the path holds a blank or a control character");
    return Kestrava::Browse::Url(text.data(), text.size());
}
