#include "mime/fields/mailbox.h"

#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/fields/internal.h"
#include "mime/fields/whitespace.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The address after the display name: inside "<" when one follows the
/// name, else from the start of the text (the name was none).
Address addressOf(DisplayName& name, Optional& open, const char* data, size_t size)
{
    size_t at = name.consumed();
    if (at < size && data[at] == '<')
    {
        open.present = true;
        return Address(data + at + 1, size - at - 1, false);
    }
    name.clear();
    return Address(data, size, false);
}

/// The CFWS after the closing bracket, which belongs to the mailbox
/// (RFC 5322, section 3.4: angle-addr ends in [CFWS]); a broken comment
/// is left for the caller to refuse.
size_t trailingBlanks(const char* data, size_t size)
{
    try
    {
        return Whitespace(data, size, true).consumed();
    }
    catch (const std::runtime_error&)
    {
        return 0;
    }
}

} // namespace

Mailbox::Mailbox(const char* data, size_t size, bool strict)
    : _name(data, size), _address(addressOf(_name, _open, data, size))
{
    _consumed = _name.consumed() + _address.consumed();
    if (_open.present)
    {
        _consumed += 1;
        if (_consumed == size) throw std::runtime_error("unmatched '<' and '>' brackets");
        if (data[_consumed] == '>')
        {
            _close.present = true;
            _consumed += 1;
            _consumed += trailingBlanks(data + _consumed, size - _consumed);
        }
    }
    if (_open.present != _close.present) throw std::runtime_error("unmatched '<' and '>' brackets");
    if (strict && _consumed < size)
        throw std::runtime_error("Did not manage to process all the input");
}

Mailbox::Mailbox(const char* name, size_t nameLength, const char* address, size_t addressLength)
    : _name(Internal(name, nameLength)), _address(address, addressLength, true)
{
}

size_t Mailbox::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    if (_name.text().empty()) return _address.encode(capabilities, output, final);
    size_t written = _name.encode(capabilities, output, final);
    written += output->append(" <", 2, true);
    written += _address.encode(capabilities, output, final);
    return written + output->append(">", 1, true);
}

size_t Mailbox::encode(const Capabilities& capabilities, Filter::WordWrap* output, bool final) const
{
    if (_name.text().empty())
        return _address.encode(capabilities, static_cast<Filter::Result*>(output), final);
    size_t written = _name.encode(capabilities, output, final);
    written += output->append(" <", 2, true);
    written += _address.encode(capabilities, static_cast<Filter::Result*>(output), final);
    return written + output->append(">", 1, true);
}

size_t Mailbox::encode(const Capabilities& capabilities, Filter::LineLength* output,
                       bool final) const
{
    if (_name.text().empty())
        return _address.encode(capabilities, static_cast<Filter::Result*>(output), final);
    Filter::WordWrap wrap(output, capabilities.sizes);
    size_t written = encode(capabilities, &wrap, final);
    return written + wrap.flush();
}

bool Mailbox::encodable(const Capabilities& capabilities) const
{
    return _address.encodable(capabilities);
}

} // namespace Mime
} // namespace Kestrava
