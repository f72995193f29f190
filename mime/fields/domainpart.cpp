#include "mime/fields/domainpart.h"

#include "dns/exception/gaiexception.h"
#include "mime/fields/atom.h"
#include "mime/detail/ctype.h"
#include "mime/fields/whitespace.h"

#include <netdb.h>
#include <strings.h>
#include <sys/socket.h>

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// Throws unless `address` is a numeric address of the family.
void requireNumeric(const std::string& address, int family, const char* message)
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    addrinfo* list = nullptr;
    int code = getaddrinfo(address.c_str(), nullptr, &hints, &list);
    if (code != 0) throw Dns::GaiException(code, list);
    bool wrongFamily = list->ai_family != family;
    freeaddrinfo(list);
    if (wrongFamily) throw std::runtime_error(message);
}

} // namespace

DomainPart::DomainPart(const char* data, size_t size)
{
    _consumed = Whitespace(data, size, true).consumed();
    if (_consumed == size) throw std::runtime_error("empty domain part");
    if (data[_consumed] == '[')
        parseLiteral(data, size);
    else
        parseName(data, size);
    _consumed += Whitespace(data + _consumed, size - _consumed, true).consumed();
}

void DomainPart::parseName(const char* data, size_t size)
{
    while (true)
    {
        Atom atom(data + _consumed, size - _consumed, false);
        if (atom.consumed() == 0) break;
        _text += atom.text().copy();
        _consumed += atom.consumed();
        if (_consumed == size || data[_consumed] != '.') break;
        _text.push_back('.');
        if (++_consumed == size) break;
    }
    if (_text.empty()) throw std::runtime_error("invalid domain name");
}

void DomainPart::parseLiteral(const char* data, size_t size)
{
    std::string content;
    size_t i = _consumed + 1;
    for (;; ++i)
    {
        if (i == size) throw std::runtime_error("unfinished domain literal");
        char c = data[i];
        if (c == ']') break;
        if (c == '[' || c == '\\' || !detail::isAscii(c) || detail::isControl(c))
            throw std::runtime_error("invalid character in email address");
        if (c != ' ') content.push_back(c);
    }
    _consumed = i + 1;
    // RFC 5321 address literals; the resolver's own text for one that is
    // no address at all.
    if (content.size() > 4 && strncasecmp(content.c_str(), "ipv6:", 5) == 0)
        requireNumeric(content.substr(5), AF_INET6, "not an ipv6 address, but ipv6: prefix used");
    else
        requireNumeric(content, AF_INET, "not an ipv4 address");
    _text = "[" + content + "]";
}

} // namespace Mime
} // namespace Kestrava
