#pragma once

#include "mime/fields/displayname.h"
#include "mime/fields/encodable.h"
#include "mime/fields/mailbox.h"
#include "mime/fields/markers.h"

#include <memory>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// One item of an address list: a mailbox, or a named group of mailboxes.
class Target : public HeaderField
{
public:
    /// Throws std::runtime_error "semicolon expected after group", "Did not
    /// manage to process everything" (strict only) and the errors of the
    /// mailbox; bad members of a lenient group are skipped.
    Target(const char* data, size_t size, bool strict);

    /// Whether one of the mailboxes has the address.
    bool contains(const Address& address) const;

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;
    bool encodable(const Capabilities& capabilities) const override;

    /// The group's name; empty for a plain mailbox.
    const DisplayName& name() const { return _name; }
    bool group() const { return _colon.present; }
    const std::vector<std::shared_ptr<Mailbox>>& mailboxes() const { return _mailboxes; }
    size_t consumed() const { return _consumed; }
    /// Whether a group member that is no mailbox was passed over: written
    /// from what was read, its text would be lost.
    bool skipped() const { return _skipped; }

private:
    template <typename Sink>
    size_t write(const Capabilities& capabilities, Sink* output, bool final) const;

    DisplayName _name;
    Optional _colon;
    std::vector<std::shared_ptr<Mailbox>> _mailboxes;
    size_t _consumed = 0;
    bool _skipped = false;
};

} // namespace Mime
} // namespace Kestrava
