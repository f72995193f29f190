#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Dns
{
class Hostname;
}

namespace OpenSSL
{

/**
 * A host name as a certificate names it (common name or DNS alternative
 * name), possibly with one '*' in its first label, matched against host
 * names. Both sides are compared in their Unicode form, so the Unicode and
 * the "xn--" form of a name match alike.
 *
 * A pattern must name something below a registrable domain: it may not be
 * a public suffix, lie under no known suffix (unless it is a single label,
 * such as a bare machine name), nor put a wildcard directly over a public
 * suffix, which would cover every site under it.
 */
class Pattern
{
public:
    /**
     * `text` must not be null. Throws std::invalid_argument "invalid
     * pattern" for a '*' outside the first label, a second '*' or a
     * wildcard over a public suffix; std::runtime_error "No organization
     * found" for a name with a '.' that is or lies under no public suffix;
     * and the failures of Dns::Hostname for a text that is no host name.
     */
    explicit Pattern(const char* text);

    virtual ~Pattern() = default;

    /// Never throws; false for the empty host name.
    bool match(const Dns::Hostname& host) const;

private:
    /// The first label when it holds the '*', '*' included; else empty.
    std::string _wildcard;
    /// The position of the '*' in the wildcard label.
    size_t _star = 0;
    /// What follows the wildcard label's '.', or the whole name without one.
    std::string _domain;
};

} // namespace OpenSSL
} // namespace Kestrava
