#include "app/endpoint.h"

#include <strings.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace
{

[[noreturn]] void refuse(const char* reason)
{
    throw std::runtime_error(std::string("Invalid endpoint: ") + reason);
}

/// Host and port of an authority: user information left out, and the
/// colons of an IPv6 literal are not the port's. The port is empty when
/// there is none.
void split(std::string_view authority, std::string_view& host, std::string_view& port)
{
    size_t at = authority.rfind('@');
    if (at != std::string_view::npos) authority.remove_prefix(at + 1);
    size_t close = !authority.empty() && authority[0] == '[' ? authority.find(']') : 0;
    size_t colon = authority.find(':', close == std::string_view::npos ? 0 : close);
    host = authority.substr(0, colon);
    port = colon == std::string_view::npos ? std::string_view() : authority.substr(colon + 1);
}

bool validPort(std::string_view port)
{
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    unsigned long value = std::stoul(std::string(port));
    return value >= 1 && value <= 65535;
}

} // namespace

Kestrava::Browse::Url endpoint(const std::string& text)
{
    // Checked on the text as written: the URL parser would percent-encode a
    // blank in the path, and its own messages hold the whole URL.
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        throw std::runtime_error("No endpoint configured: set the option endpoint");
    std::string_view rest(text);
    // The scheme in any case, as the HTTP client takes it (RFC 3986 3.1).
    if (strncasecmp(text.c_str(), "http://", 7) == 0)
        rest.remove_prefix(7);
    else if (strncasecmp(text.c_str(), "https://", 8) == 0)
        rest.remove_prefix(8);
    else
        refuse("the scheme must be http or https");
    size_t end = rest.find_first_of("/?#");
    std::string_view host, port;
    split(rest.substr(0, end), host, port);
    if (host.empty()) refuse("the host is missing");
    if (!port.empty() && !validPort(port)) refuse("the port must be a number from 1 to 65535");
    for (char octet : rest.substr(end == std::string_view::npos ? rest.size() : end))
        if (static_cast<unsigned char>(octet) <= ' ' || octet == 127)
            refuse("the path holds a blank or a control character");
    std::optional<Kestrava::Browse::Url> url;
    try
    {
        url.emplace(text.data(), text.size());
    }
    catch (const std::exception&)
    {
        refuse("the URL cannot be read");
    }
    // The client sends nothing of them: every document would be refused
    // (401) and requeued for ever.
    if (rest.substr(0, end).find('@') != std::string_view::npos)
        refuse("credentials in the endpoint URL are not sent; put a key in its path or query");
    return *url;
}

std::string hostHeader(const Kestrava::Browse::Url& url)
{
    const char* ascii = url.hostname().ascii();
    std::string host = ascii != nullptr ? ascii : "";
    if (url.ip().version() == 6 && (host.empty() || host.front() != '[')) host = "[" + host + "]";
    unsigned long standard = strncasecmp(url.text().c_str(), "https://", 8) == 0 ? 443 : 80;
    if (url.port() != 0 && url.port() != standard) host += ":" + std::to_string(url.port());
    return host;
}
