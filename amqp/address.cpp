#include "amqp/address.h"

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace AMQP
{

namespace
{

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/// The port a text names: 1 to 65535 in decimal digits only. Anything else
/// is port 0, which every connection attempt refuses, rather than another
/// broker's port reached by wrapping round or by ignoring trailing bytes.
uint16_t portNumber(std::string_view text)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos)
        return 0;
    long number = std::strtol(std::string(text).c_str(), nullptr, 10);
    return number <= 65535 ? static_cast<uint16_t>(number) : 0;
}

/// The text with each "%XX" turned into its octet; a '%' without two hex
/// digits after it stays as it is.
std::string percentDecoded(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t index = 0; index < text.size(); ++index)
    {
        bool escape = text[index] == '%' && index + 2 < text.size();
        int high = escape ? hexValue(text[index + 1]) : -1;
        int low = escape ? hexValue(text[index + 2]) : -1;
        if (high < 0 || low < 0)
        {
            result += text[index];
            continue;
        }
        result += char(high * 16 + low);
        index += 2;
    }
    return result;
}

/// Writes text with '%', blanks, control octets and the octets of special
/// percent-encoded, so that the written address reads back the same.
void writeEncoded(std::ostream& stream, const std::string& text, const char* special)
{
    static const char digits[] = "0123456789ABCDEF";
    for (char c : text)
    {
        // Blanks and control octets too: a log line stays one line.
        if (c == '%' || (unsigned char)c <= ' ' || c == 127 || std::strchr(special, c) != nullptr)
            stream << '%' << digits[(unsigned char)c >> 4] << digits[c & 15];
        else
            stream << c;
    }
}

} // namespace

Address::Address(const char* data, size_t size)
{
    std::string_view rest(data, size);
    if (rest.substr(0, 8) == "amqps://")
    {
        _secure = true;
        _port = 5671;
        rest.remove_prefix(8);
    }
    else if (rest.substr(0, 7) == "amqp://")
        rest.remove_prefix(7);
    else
        throw std::runtime_error("AMQP address should start with \"amqp://\" or \"amqps://\"");

    // User information ends at the last '@' of the authority: an '@' in
    // the virtual host or the query belongs there, and one left unescaped
    // in a password is taken as part of it. User name and password are
    // percent-decoded, as the broker's own URIs are.
    size_t at = rest.substr(0, rest.find_first_of("/?")).rfind('@');
    if (at != std::string_view::npos)
    {
        std::string_view userInfo = rest.substr(0, at);
        size_t colon = userInfo.find(':');
        if (colon == std::string_view::npos)
            _userInfo = Login(percentDecoded(userInfo), "");
        else
            _userInfo = Login(percentDecoded(userInfo.substr(0, colon)),
                              percentDecoded(userInfo.substr(colon + 1)));
        _hasUserInfo = true;
        rest.remove_prefix(at + 1);
    }

    size_t slash = rest.find('/');
    size_t question = slash == std::string_view::npos ? rest.find('?') : rest.find('?', slash);

    if (question != std::string_view::npos)
    {
        std::string_view query = rest.substr(question + 1);
        while (!query.empty())
        {
            size_t ampersand = query.find('&');
            std::string_view pair = query.substr(0, ampersand);
            size_t equals = pair.find('=');
            if (equals != std::string_view::npos)
                _options[std::string(pair.substr(0, equals))] =
                    std::string(pair.substr(equals + 1));
            if (ampersand == std::string_view::npos) break;
            query.remove_prefix(ampersand + 1);
        }
    }

    if (slash != std::string_view::npos)
    {
        if (question != std::string_view::npos)
            _vhost = std::string(rest.substr(slash + 1, question - slash - 1));
        else if (slash + 1 < rest.size())
            _vhost = std::string(rest.substr(slash + 1));
    }

    std::string_view authority = rest.substr(0, std::min(slash, question));
    size_t colon = authority.find(':');
    if (colon == std::string_view::npos)
        _hostname = std::string(authority);
    else
    {
        _hostname = std::string(authority.substr(0, colon));
        _port = portNumber(authority.substr(colon + 1));
    }
}

Login Address::login() const
{
    return _hasUserInfo ? _userInfo : Login("plumo", "plumo");
}

const char* Address::option(const char* name) const
{
    auto found = _options.find(name);
    return found == _options.end() ? nullptr : found->second.c_str();
}

int Address::option(const char* name, int fallback) const
{
    const char* value = option(name);
    return value == nullptr ? fallback : static_cast<int>(std::strtoll(value, nullptr, 10));
}

void Address::write(std::ostream& stream, bool alwaysUserInfo, uint16_t defaultPort) const
{
    stream << (_secure ? "amqps://" : "amqp://");
    if (alwaysUserInfo || !_userInfo.user().empty() || !_userInfo.password().empty())
    {
        writeEncoded(stream, _userInfo.user(), ":@/?");
        stream << ":";
        writeEncoded(stream, _userInfo.password(), "@/?");
        stream << "@";
    }
    stream << _hostname;
    if (_port != defaultPort) stream << ":" << _port;
    stream << "/";
    if (_vhost != "/") stream << _vhost;
    const char* separator = "?";
    for (const auto& [name, value] : _options)
    {
        stream << separator << name << "=" << value;
        separator = "&";
    }
}

Address::operator std::string() const
{
    std::ostringstream stream;
    write(stream, true, 5672);
    return stream.str();
}

std::ostream& operator<<(std::ostream& stream, const Address& address)
{
    address.write(stream, false, address._secure ? 5671 : 5672);
    return stream;
}

} // namespace AMQP
