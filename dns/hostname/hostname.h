#pragma once

namespace Kestrava
{
namespace Dns
{

class IpAddress;

/**
 * A host name in its two forms: Unicode (UTF-8, for display and for
 * comparing with certificate names) and ASCII (IDNA "xn--" labels, for DNS
 * queries and protocol headers).
 *
 * A plain ASCII name keeps one text for both forms. The empty host name has
 * both forms null. Built complete or not at all; a name that cannot be
 * converted, or no libidn to convert it with ("libidn cannot be loaded"),
 * fails with IdnException, a failed reverse lookup with GaiException.
 */
class Hostname
{
public:
    /// A name in either form. Strict applies the STD3 ASCII rules. A null
    /// name gives the empty host name, or fails when strict.
    Hostname(const char* name, bool strict);

    /// The name the system's name service gives the address, or the
    /// address's numeric text when it has none.
    explicit Hostname(const IpAddress& address);

    Hostname(const Hostname& other);
    Hostname(Hostname&& other) noexcept;
    Hostname& operator=(const Hostname& other);
    Hostname& operator=(Hostname&& other) noexcept;
    virtual ~Hostname();

    /// Both null for the empty host name; the same pointer for a plain
    /// ASCII name.
    const char* unicode() const { return _unicode; }
    const char* ascii() const { return _ascii; }

    /// Whether `other` is this name or below it, ignoring ASCII case.
    bool contains(const Hostname& other) const;

private:
    void swap(Hostname& other) noexcept;

    char* _unicode = nullptr;
    char* _ascii = nullptr;
};

} // namespace Dns
} // namespace Kestrava
