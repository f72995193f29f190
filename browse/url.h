#pragma once

#include "dns/hostname/hostname.h"
#include "dns/message/ip.h"

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Browse
{

/**
 * An absolute URL, split as the HTTP client needs it: scheme, user
 * information, host, port and path (the query included).
 *
 * The text is kept once; the parts are positions into it. A host that is
 * an IP literal (dotted IPv4, or IPv6 in brackets) is also kept as the
 * address, which the client uses without a lookup. The path is fit for a
 * request line: its dot segments are removed (RFC 3986 section 5.2.4, the
 * query left as written), blanks, control bytes and bytes outside ASCII
 * in it are percent-encoded, and a text holding CR, LF or NUL is refused.
 */
class Url
{
public:
    /// Where each part of a URL text starts; null for a part that is absent.
    class Pointers
    {
    public:
        /// Throws std::runtime_error "Invalid URL " plus the text when it
        /// holds no "://".
        Pointers(const char* text, size_t size);
        virtual ~Pointers() = default;

        /// Splits again; false, with every part absent, on failure.
        bool reset(const char* text, size_t size);

        const char* start = nullptr;
        const char* user = nullptr;
        const char* password = nullptr;
        const char* host = nullptr;
        const char* port = nullptr;
        const char* path = nullptr;
        size_t size = 0;

        size_t schemeSize() const;
        size_t userSize() const;
        size_t passwordSize() const;
        size_t hostSize() const;
        size_t portSize() const;
        size_t pathSize() const;

    private:
        const char* end() const { return start + size; }
    };

    /// Parses `text` up to its first "#"; the host name is held to the STD3
    /// rules unless it is an IP literal. Throws std::runtime_error "Invalid
    /// URL " plus the text without "://", with a CR, LF or NUL, without a
    /// host, or with a port of 0 or above 65535; Dns exceptions pass
    /// through.
    Url(const char* text, size_t size);
    /// The target of a redirect `location` against `base`, resolved as RFC
    /// 3986 section 5.2 has it, without the location's fragment, and held
    /// to the rules of the other constructor, as which it throws (a
    /// location with a scheme must be a complete URL).
    Url(const Url& base, const char* location);
    Url(const Url& other);
    Url& operator=(const Url& other);
    virtual ~Url() = default;

    /// The text without its fragment.
    const std::string& text() const { return _text; }
    const Dns::Hostname& hostname() const { return _hostname; }
    /// The address of an IP-literal host; version 0 for a host name.
    const DNS::Ip& ip() const { return _ip; }
    /// The rest of the text from the path's "/" (or "?"); null without one.
    const char* path() const { return _pointers.path; }
    std::string user() const;
    std::string password() const;
    /// The port part's number; 0 without one.
    unsigned long port() const;

    /// Appends the URL form encoding of the bytes (letters, digits and
    /// "-._~" as they are, a blank as "+", any other byte as "%" and two
    /// lower-case hex digits) and splits the text again.
    void encode(const char* data, size_t size);
    /// Appends the query parameter `key`=`value`, both encoded, after "?"
    /// (or "/?" without a path), or after "&" when the path has a query.
    void add(const char* key, const char* value);

    bool operator==(const Url& other) const;
    bool operator<(const Url& other) const;

private:
    /// Refuses what no request may carry and encodes the path for the
    /// request line.
    void check();
    /// Whether the port part, when there is one, is decimal digits only.
    bool portDigitsOnly() const;
    void build(bool strict);
    /// Splits the text again after it grew at its end.
    void resplit();
    int compare(const Url& other) const;

    std::string _text;
    Pointers _pointers;
    Dns::Hostname _hostname;
    DNS::Ip _ip;
};

} // namespace Browse
} // namespace Kestrava
