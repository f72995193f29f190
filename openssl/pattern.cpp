#include "openssl/pattern.h"

#include "dns/hostname/hostname.h"
#include "dns/suffix/organization.h"

#include <strings.h>

#include <cstring>
#include <exception>
#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

[[noreturn]] void refuse()
{
    throw std::invalid_argument("invalid pattern");
}

/// Throws Organization's failure unless `text` is or lies below a
/// registrable domain.
void checkOrganization(const char* text)
{
    Dns::Organization organization(text);
}

} // namespace

Pattern::Pattern(const char* text)
{
    Dns::Hostname name(text, false);
    std::string unicode = name.unicode() != nullptr ? name.unicode() : "";

    try
    {
        checkOrganization(unicode.c_str());
    }
    catch (const std::exception&)
    {
        // A bare machine name has no organization and needs none.
        if (unicode.find_first_of("*.") != std::string::npos) throw;
        _domain = unicode;
        return;
    }

    size_t star = unicode.find('*');
    if (star == std::string::npos)
    {
        _domain = unicode;
        return;
    }
    size_t dot = unicode.find('.');
    if (dot == std::string::npos || dot < star || unicode.find('*', star + 1) != std::string::npos)
        refuse();
    _wildcard = unicode.substr(0, dot);
    _star = star;
    _domain = unicode.substr(dot + 1);

    // "*.com" or "*.co.uk" would match every site under the suffix.
    try
    {
        checkOrganization(_domain.c_str());
    }
    catch (const std::exception&)
    {
        refuse();
    }
}

bool Pattern::match(const Dns::Hostname& host) const
{
    const char* text = host.unicode();
    if (text == nullptr || *text == '\0') return false;
    if (_wildcard.empty()) return strcasecmp(_domain.c_str(), text) == 0;

    // The '*' stands for part of the host's first label, never for more.
    const char* dot = std::strchr(text, '.');
    if (dot == nullptr || strcasecmp(_domain.c_str(), dot + 1) != 0) return false;
    size_t label = static_cast<size_t>(dot - text);
    if (label < _wildcard.size()) return false;
    size_t after = _wildcard.size() - _star - 1;
    return strncasecmp(text, _wildcard.c_str(), _star) == 0 &&
           strncasecmp(dot - after, _wildcard.c_str() + _star + 1, after) == 0;
}

} // namespace OpenSSL
} // namespace Kestrava
