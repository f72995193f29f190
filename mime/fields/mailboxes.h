#pragma once

#include "mime/fields/encodable.h"
#include "mime/fields/mailbox.h"

#include <memory>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// A comma-separated list of mailboxes, as in From.
class Mailboxes : public HeaderField
{
public:
    /// Lenient lists skip bad mailboxes; strict ones throw their errors,
    /// "characters left behind target" or "Did not manage to process
    /// everything".
    Mailboxes(const char* data, size_t size, bool strict);

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    bool encodable(const Capabilities& capabilities) const override;

    const std::vector<std::shared_ptr<Mailbox>>& mailboxes() const { return _mailboxes; }
    size_t consumed() const { return _consumed; }

private:
    std::vector<std::shared_ptr<Mailbox>> _mailboxes;
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
