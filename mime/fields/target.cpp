#include "mime/fields/target.h"

#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/detail/items.h"
#include "mime/fields/whitespace.h"

namespace Kestrava
{
namespace Mime
{

Target::Target(const char* data, size_t size, bool strict) : _name(data, size)
{
    size_t position = _name.consumed();
    if (position < size && data[position] == ':' && _name.present())
    {
        _colon.present = true;
        ++position;
        position += detail::parseItems(data + position, size - position, strict, ",;", &_mailboxes,
                                       &_skipped);
        if (position < size)
        {
            if (data[position] != ';') throw std::runtime_error("semicolon expected after group");
            ++position;
            // RFC 5322, section 3.4: the group ends in ";" [CFWS].
            try
            {
                position += Whitespace(data + position, size - position, true).consumed();
            }
            catch (const std::runtime_error&)
            {
            }
        }
    }
    else
    {
        _name.clear();
        _mailboxes.push_back(std::make_shared<Mailbox>(data, size, strict));
        position = _mailboxes.back()->consumed();
    }
    _consumed = position;
    if (strict && _consumed < size)
        throw std::runtime_error("Did not manage to process everything");
}

bool Target::contains(const Address& address) const
{
    for (const auto& mailbox : _mailboxes)
        if (mailbox->address() == address) return true;
    return false;
}

template <typename Sink>
size_t Target::write(const Capabilities& capabilities, Sink* output, bool final) const
{
    if (!group()) return _mailboxes.front()->encode(capabilities, output, final);
    // A group read with an empty quoted name keeps it: without a name the
    // group would not read back, nor its mailboxes.
    size_t written = _name.text().empty() ? output->append("\"\"", 2, true)
                                          : _name.encode(capabilities, output, final);
    written += output->append(": ", 2, true);
    written += detail::writeItems(_mailboxes, capabilities, output, final);
    return written + output->append(";", 1, true);
}

size_t Target::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    return write(capabilities, output, final);
}

size_t Target::encode(const Capabilities& capabilities, Filter::WordWrap* output, bool final) const
{
    return write(capabilities, output, final);
}

size_t Target::encode(const Capabilities& capabilities, Filter::LineLength* output,
                      bool final) const
{
    Filter::WordWrap wrap(output, capabilities.sizes);
    size_t written = write(capabilities, &wrap, final);
    return written + wrap.flush();
}

bool Target::encodable(const Capabilities& capabilities) const
{
    return capabilities.allowsUtf8 || detail::encodableItems(_mailboxes, capabilities);
}

} // namespace Mime
} // namespace Kestrava
