#pragma once

#include "mime/fields/address.h"
#include "mime/fields/displayname.h"
#include "mime/fields/encodable.h"
#include "mime/fields/markers.h"

namespace Kestrava
{
namespace Mime
{

/// An address with an optional display name before it in angle brackets.
class Mailbox : public HeaderField
{
public:
    /// Throws std::runtime_error "unmatched '<' and '>' brackets", "Did not
    /// manage to process all the input" (strict only) and the errors of the
    /// address.
    Mailbox(const char* data, size_t size, bool strict);
    /// A plain-text name and a strictly parsed address.
    Mailbox(const char* name, size_t nameLength, const char* address, size_t addressLength);

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;
    bool encodable(const Capabilities& capabilities) const override;

    const DisplayName& name() const { return _name; }
    const Address& address() const { return _address; }
    size_t consumed() const { return _consumed; }

private:
    DisplayName _name;
    Optional _open;
    Address _address;
    Optional _close;
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
