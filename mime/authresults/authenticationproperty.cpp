#include "mime/authresults/authenticationproperty.h"

#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/authresults/authenticationtokens.h"
#include "mime/detail/wrapped.h"
#include "mime/dkim/dkimtags.h"
#include "mime/fields/localpart.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

AuthenticationProperty::AuthenticationProperty(const char* data, size_t size)
{
    size_t position = detail::cfws(data, size);
    position += AuthenticationKeyword(ptype, data + position, size - position).size;
    position += detail::cfws(data + position, size - position);
    detail::expect(data, size, position, '.');
    ++position;
    position += detail::cfws(data + position, size - position);
    position += AuthenticationKeyword(property, data + position, size - position).size;
    position += detail::cfws(data + position, size - position);
    detail::expect(data, size, position, '=');
    ++position;
    position += detail::cfws(data + position, size - position);
    this->size = position;
    parse(data + position, size - position, false);
}

AuthenticationProperty::AuthenticationProperty(std::string ptype, std::string property,
                                               std::string value)
    : ptype(std::move(ptype)), property(std::move(property))
{
    parse(value.data(), value.size(), true);
}

void AuthenticationProperty::parse(const char* data, size_t size, bool whole)
{
    // A value ends at the end, a blank, a comment or the next result; a
    // domain followed by anything else is no domain.
    auto ends = [&](size_t end)
    {
        return end >= size || data[end] == ' ' || data[end] == '\t' || data[end] == ';' ||
               data[end] == '(' || data[end] == '\r' || data[end] == '\n';
    };
    auto fits = [&](size_t consumed) { return (!whole || consumed == size) && ends(consumed); };
    // A verifier adds an "@domain" and a base64 value for every signature:
    // what cannot be an address is not tried as one, exceptions being dear.
    if (size > 0 && data[0] != '@' && std::memchr(data, '@', size) != nullptr)
    {
        try
        {
            LocalPart local(data, size);
            size_t position = local.consumed();
            // White space outside quotes ends a value: "a. b@c" is two words.
            bool quoted = false;
            for (size_t i = 0; i < position && !whole; ++i)
            {
                if (data[i] == '\\' && quoted)
                    ++i;
                else if (data[i] == '"')
                    quoted = !quoted;
                else if (!quoted && data[i] != '\0' && std::strchr(" \t\r\n(", data[i]) != nullptr)
                    throw std::runtime_error("not an address");
            }
            detail::expect(data, size, position, '@');
            AuthenticationDomainPart part(data + position + 1, size - position - 1);
            size_t consumed = position + 1 + part.size;
            if (!fits(consumed)) throw std::runtime_error("not parsable as value");
            this->size += consumed;
            kind = 2;
            localPart = local.text();
            domain = part.domain;
            text = detail::localPartText(localPart) + "@" + domain;
            value = text;
            return;
        }
        catch (const std::runtime_error&)
        {
            // Not an address: a domain, or a plain value below.
        }
    }
    bool at = size > 0 && data[0] == '@';
    size_t length = AuthenticationDomainPart::length(data + at, size - at);
    if (length > 0 && fits(at + length))
    {
        this->size += at + length;
        kind = at ? 3 : 4;
        domain.assign(data + at, length);
        text = (at ? "@" : "") + domain;
        value = text;
        return;
    }
    kind = 1;
    if (whole)
    {
        value.assign(data, size);
        text = value;
        this->size += size;
        return;
    }
    AuthenticationValue plain(value, data, size);
    if (!ends(plain.size)) throw std::runtime_error("not parsable as value");
    text = value;
    this->size += plain.size;
}

size_t AuthenticationProperty::encode(const Capabilities&, Filter::Result* output, bool) const
{
    if (kind == 0 || text.empty()) return 0;
    std::string written = ptype + "." + property + "=";
    if (kind == 1)
        written += detail::bareOrQuoted(value);
    else if (kind == 2)
        written += detail::localPartText(localPart) + "@" + domain;
    else
        written += text;
    return output->append(written);
}

size_t AuthenticationProperty::encode(const Capabilities& capabilities, Filter::LineLength* output,
                                      bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

size_t AuthenticationProperty::encode(const Capabilities& capabilities, Filter::WordWrap* output,
                                      bool final) const
{
    return encode(capabilities, static_cast<Filter::Result*>(output), final);
}

} // namespace Mime
} // namespace Kestrava
