#include "mime/fields/address.h"

#include "filter/result.h"
#include "mime/capabilities.h"
#include "mime/detail/headertext.h"
#include "mime/fields/formatting.h"

#include <strings.h>

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

DomainPart domainAfter(const LocalPart& local, const char* data, size_t size)
{
    size_t at = local.consumed();
    if (at == size || data[at] != '@') throw std::runtime_error("missing @");
    return DomainPart(data + at + 1, size - at - 1);
}

/// The host name of a domain; a literal is no name, so the STD3 rules do
/// not apply to it.
Dns::Hostname hostOf(const DomainPart& domain)
{
    return Dns::Hostname(domain.text().c_str(), !domain.literal());
}

bool sameText(const char* one, const char* other)
{
    if (one == nullptr || other == nullptr) return one == other;
    return strcasecmp(one, other) == 0;
}

} // namespace

Address::Address(const char* data, size_t size, bool strict)
    : _local(data, size), _domain(domainAfter(_local, data, size)), _host(hostOf(_domain))
{
    _needsUtf8 = international();
    if (strict && consumed() < size)
        throw std::runtime_error("trailing bytes after email address: " +
                                 std::string(data + consumed(), size - consumed()));
    initialize();
}

Address::Address(const LocalPart& local, const DomainPart& domain)
    : _local(local), _domain(domain), _host(hostOf(_domain))
{
    _needsUtf8 = international();
    initialize();
}

Address::Address(const LocalPart& local, const Dns::Hostname& host)
    : _local(local), _domain(host.unicode() ? host.unicode() : "",
                             host.unicode() ? std::strlen(host.unicode()) : 0),
      _host(host)
{
    _needsUtf8 = international();
    initialize();
}

bool Address::international() const
{
    return !sameText(_host.unicode(), _host.ascii());
}

void Address::initialize()
{
    const std::string& text = _local.text();
    Formatting formatting(text.data(), text.size());
    if (!formatting.ascii()) _needsUtf8 = true;
    bool bare = detail::readsBackAsDotAtom(text);
    std::string local = bare ? text : detail::quote(text);
    _utf8 = local + "@" + (_host.unicode() ? _host.unicode() : "");
    // RFC 2047, section 5: no encoded word in an addr-spec. A local part
    // that 7 bits cannot carry stays quoted; only the domain has an ASCII
    // form.
    if (_needsUtf8) _ascii = local + "@" + (_host.ascii() ? _host.ascii() : "");
}

bool Address::operator==(const Address& other) const
{
    const std::string& one = _local.text();
    const std::string& two = other._local.text();
    return one.size() == two.size() && strncasecmp(one.data(), two.data(), one.size()) == 0 &&
           sameText(_host.ascii(), other._host.ascii());
}

size_t Address::encode(const Capabilities& capabilities, Filter::Result* output, bool) const
{
    if ((_needsUtf8 && capabilities.allowsUtf8) || _ascii.empty()) return output->append(_utf8);
    return output->append(_ascii);
}

bool Address::encodable(const Capabilities& capabilities) const
{
    return capabilities.allowsUtf8 || !_local.nonAscii();
}

} // namespace Mime
} // namespace Kestrava
