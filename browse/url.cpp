#include "browse/url.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <arpa/inet.h>
#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{

const char* find(const char* from, const char* end, char c)
{
    return static_cast<const char*>(memchr(from, c, static_cast<size_t>(end - from)));
}

/// Orders two optional byte runs: absent first, then bytes (any case when
/// asked) on the common length, then the shorter first.
int compareParts(const char* first, size_t firstSize, const char* second, size_t secondSize,
                 bool ignoreCase)
{
    if (first == nullptr || second == nullptr) return (first != nullptr) - (second != nullptr);
    size_t common = std::min(firstSize, secondSize);
    int result = ignoreCase ? strncasecmp(first, second, common) : memcmp(first, second, common);
    if (result != 0) return result;
    return (firstSize > secondSize) - (firstSize < secondSize);
}

int compareNumbers(unsigned long first, unsigned long second)
{
    return (first > second) - (first < second);
}

/// Bytes that would end or cut the request line the path goes into.
bool breaksLines(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

/// Blanks, control bytes and bytes outside ASCII are percent-encoded (RFC
/// 3986 section 2.1, upper-case digits), so that the path stays one token
/// of the request line; a "%" already there is kept as it is.
std::string encodedPath(const char* path, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (size_t i = 0; i < size; ++i)
    {
        auto byte = static_cast<unsigned char>(path[i]);
        if (byte > ' ' && byte < 0x7f)
        {
            encoded += static_cast<char>(byte);
            continue;
        }
        encoded += '%';
        encoded += digits[byte >> 4];
        encoded += digits[byte & 0x0f];
    }
    return encoded;
}

/// A port above this is no port, whatever its digits.
constexpr unsigned long portLimit = 65535;

/// The length of the scheme and its ":" at the start of a reference (RFC
/// 3986 section 3.1), 0 when it has none.
size_t schemeLength(const char* reference)
{
    if (!isalpha(static_cast<unsigned char>(reference[0]))) return 0;
    size_t at = 1;
    while (isalnum(static_cast<unsigned char>(reference[at])) || reference[at] == '+' ||
           reference[at] == '-' || reference[at] == '.')
        ++at;
    return reference[at] == ':' ? at + 1 : 0;
}

/// RFC 3986 section 5.2.4: the "." and ".." segments of a path resolved.
std::string withoutDotSegments(std::string input)
{
    std::string output;
    auto dropLastSegment = [&output]
    {
        size_t slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!input.empty())
    {
        if (input.compare(0, 3, "../") == 0)
            input.erase(0, 3);
        else if (input.compare(0, 2, "./") == 0 || input.compare(0, 3, "/./") == 0)
            input.erase(0, 2);
        else if (input == "/.")
            input = "/";
        else if (input.compare(0, 4, "/../") == 0 || input == "/..")
        {
            input = input.size() == 3 ? "/" : input.substr(3);
            dropLastSegment();
        }
        else if (input == "." || input == "..")
            input.clear();
        else
        {
            size_t end = input.find('/', 1);
            output.append(input, 0, end);
            input.erase(0, end);
        }
    }
    return output;
}

/// Splits a path and query at the "?".
std::pair<std::string, std::string> splitQuery(const std::string& text)
{
    size_t query = std::min(text.find('?'), text.size());
    return {text.substr(0, query), text.substr(query)};
}

/// The text of `location` resolved against the URL `base` splits (RFC 3986
/// section 5.2.2), without the location's fragment: a request target
/// carries none (RFC 9112 section 3.2).
std::string resolve(const Url::Pointers& base, const char* location)
{
    std::string reference(location, strcspn(location, "#"));
    std::string scheme(base.start, base.schemeSize());
    size_t schemeSize = schemeLength(location);
    // A reference with an authority of its own takes only the scheme, if
    // that; "://host" is read as "//host" too.
    size_t slashes = schemeSize > 0 ? schemeSize : reference.compare(0, 3, "://") == 0 ? 1 : 0;
    if (reference.compare(slashes, 2, "//") == 0)
    {
        size_t authorityEnd =
            std::min(reference.find_first_of("/?", slashes + 2), reference.size());
        std::string prefix = schemeSize > 0 ? "" : slashes == 1 ? scheme : scheme + ":";
        auto [path, query] = splitQuery(reference.substr(authorityEnd));
        return prefix + reference.substr(0, authorityEnd) + withoutDotSegments(path) + query;
    }
    // A scheme without an authority makes no URL of ours: the split refuses
    // it.
    if (schemeSize > 0) return reference;

    size_t pathStart =
        base.path != nullptr ? static_cast<size_t>(base.path - base.start) : base.size;
    std::string prefix(base.start, pathStart);
    auto [basePath, baseQuery] =
        splitQuery(std::string(base.start + pathStart, base.size - pathStart));
    auto [path, query] = splitQuery(reference);
    if (path.empty()) return prefix + basePath + (reference.empty() ? baseQuery : query);
    if (path[0] == '/') return prefix + withoutDotSegments(path) + query;
    // Merged with the base's directory; a base without a path has "/".
    size_t slash = basePath.rfind('/');
    std::string directory = slash == std::string::npos ? "/" : basePath.substr(0, slash + 1);
    return prefix + withoutDotSegments(directory + path) + query;
}

} // namespace

Url::Pointers::Pointers(const char* text, size_t size)
{
    if (!reset(text, size)) throw std::runtime_error("Invalid URL " + std::string(text, size));
}

bool Url::Pointers::reset(const char* text, size_t length)
{
    user = password = host = port = path = nullptr;
    start = text;
    size = length;
    auto separator = static_cast<const char*>(memmem(text, length, "://", 3));
    if (separator == nullptr) return false;
    host = separator + 3;

    // The authority ends at the path or, without one, at the query.
    const char* authorityEnd = host;
    while (authorityEnd < end() && *authorityEnd != '/' && *authorityEnd != '?')
        ++authorityEnd;
    if (const char* at = find(host, authorityEnd, '@'))
    {
        user = host;
        if (const char* colon = find(user, at, ':')) password = colon + 1;
        host = at + 1;
    }
    // The colons of an IPv6 literal are not the port's.
    const char* hostEnd = host;
    if (hostEnd < authorityEnd && *hostEnd == '[')
        if (const char* close = find(hostEnd, authorityEnd, ']')) hostEnd = close + 1;
    if (const char* colon = find(hostEnd, authorityEnd, ':')) port = colon + 1;
    if (authorityEnd < end()) path = authorityEnd;
    return true;
}

size_t Url::Pointers::schemeSize() const
{
    const char* authority = user != nullptr ? user : host;
    return authority == nullptr ? 0 : static_cast<size_t>(authority - start) - 3;
}

size_t Url::Pointers::userSize() const
{
    if (user == nullptr) return 0;
    return static_cast<size_t>((password != nullptr ? password : host) - 1 - user);
}

size_t Url::Pointers::passwordSize() const
{
    return password == nullptr ? 0 : static_cast<size_t>(host - 1 - password);
}

size_t Url::Pointers::hostSize() const
{
    if (host == nullptr) return 0;
    const char* hostEnd = port != nullptr ? port - 1 : path != nullptr ? path : end();
    return static_cast<size_t>(hostEnd - host);
}

size_t Url::Pointers::portSize() const
{
    if (port == nullptr) return 0;
    return static_cast<size_t>((path != nullptr ? path : end()) - port);
}

size_t Url::Pointers::pathSize() const
{
    return path == nullptr ? 0 : static_cast<size_t>(end() - path);
}

Url::Url(const char* text, size_t size)
    : _text(text, std::find(text, text + size, '#') - text), _pointers(_text.data(), _text.size()),
      _hostname(nullptr, false)
{
    check();
    build(true);
}

Url::Url(const Url& base, const char* location)
    : _text(resolve(base._pointers, location)), _pointers(_text.data(), _text.size()),
      _hostname(nullptr, false)
{
    check();
    // A host the location names, with its scheme or without, is held to
    // the rules of one given whole; the base's own passed them already.
    build(true);
}

Url::Url(const Url& other)
    : _text(other._text), _pointers(_text.data(), _text.size()), _hostname(other._hostname),
      _ip(other._ip)
{
}

Url& Url::operator=(const Url& other)
{
    if (this == &other) return *this;
    Dns::Hostname hostname(other._hostname);
    _text = other._text;
    _pointers.reset(_text.data(), _text.size());
    _hostname = std::move(hostname);
    _ip = other._ip;
    return *this;
}

void Url::check()
{
    // Port 0 reaches no server; it must not stand for the default port. Nor
    // does an empty host, which no lookup may be asked for (RFC 9110 section
    // 4.2.1).
    bool portZero = _pointers.portSize() > 0 && port() == 0;
    if (breaksLines(_text) || _pointers.hostSize() == 0 || !portDigitsOnly() || portZero ||
        port() > portLimit)
        throw std::runtime_error("Invalid URL " + _text);
    if (_pointers.path == nullptr) return;
    size_t pathStart = static_cast<size_t>(_pointers.path - _pointers.start);
    // Dot segments go as they go from a redirect target (RFC 3986 section
    // 6.2.2.3): no server need see "/../". The query stays as written.
    std::string written(_pointers.path, _pointers.pathSize());
    auto [path, query] = splitQuery(written);
    if (path.find("/.") != std::string::npos) path = withoutDotSegments(path);
    std::string target =
        encodedPath(path.data(), path.size()) + encodedPath(query.data(), query.size());
    if (target == written) return;
    _text.replace(pathStart, std::string::npos, target);
    _pointers.reset(_text.data(), _text.size());
}

void Url::build(bool strict)
{
    std::string host(_pointers.host, _pointers.hostSize());
    // An IP literal is the address itself and no name for the STD3 rules.
    in6_addr ipv6{};
    in_addr ipv4{};
    if (host.size() > 2 && host.front() == '[' && host.back() == ']' &&
        inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), &ipv6) == 1)
        _ip = DNS::Ip(ipv6);
    else if (inet_pton(AF_INET, host.c_str(), &ipv4) == 1)
        _ip = DNS::Ip(ipv4);
    _hostname = Dns::Hostname(host.c_str(), strict && _ip.version() == 0);
}

std::string Url::user() const
{
    return _pointers.user == nullptr ? std::string()
                                     : std::string(_pointers.user, _pointers.userSize());
}

std::string Url::password() const
{
    return _pointers.password == nullptr
               ? std::string()
               : std::string(_pointers.password, _pointers.passwordSize());
}

bool Url::portDigitsOnly() const
{
    // "h:8o80" is no port 8: a connection there would reach another service.
    const char* digit = _pointers.port;
    for (size_t left = _pointers.portSize(); left > 0; --left, ++digit)
        if (*digit < '0' || *digit > '9') return false;
    return true;
}

unsigned long Url::port() const
{
    unsigned long value = 0;
    const char* digit = _pointers.port;
    // Held just above the limit, so that no count of digits wraps round to
    // a port that looks valid.
    for (size_t left = _pointers.portSize(); left > 0 && *digit >= '0' && *digit <= '9'; --left)
        value = std::min(value * 10 + static_cast<unsigned long>(*digit++ - '0'), portLimit + 1);
    return value;
}

int Url::compare(const Url& other) const
{
    const Pointers& mine = _pointers;
    const Pointers& theirs = other._pointers;
    const char* myHost = _hostname.ascii() != nullptr ? _hostname.ascii() : "";
    const char* theirHost = other._hostname.ascii() != nullptr ? other._hostname.ascii() : "";
    int result =
        compareParts(mine.start, mine.schemeSize(), theirs.start, theirs.schemeSize(), true);
    if (result == 0)
        result = compareParts(mine.user, mine.userSize(), theirs.user, theirs.userSize(), false);
    if (result == 0)
        result = compareParts(mine.password, mine.passwordSize(), theirs.password,
                              theirs.passwordSize(), false);
    if (result == 0)
        result = compareParts(myHost, strlen(myHost), theirHost, strlen(theirHost), true);
    if (result == 0) result = compareNumbers(port(), other.port());
    if (result == 0)
        result = compareParts(mine.path, mine.pathSize(), theirs.path, theirs.pathSize(), false);
    return result;
}

bool Url::operator==(const Url& other) const
{
    return compare(other) == 0;
}

bool Url::operator<(const Url& other) const
{
    return compare(other) < 0;
}

} // namespace Browse
} // namespace Kestrava
