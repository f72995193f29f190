#pragma once

#include "mime/fields/encodable.h"
#include "mime/fields/target.h"

#include <memory>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// An address list with groups, as in To and Cc.
class Targets : public HeaderField
{
public:
    /// Lenient lists skip bad items; strict ones throw their errors,
    /// "characters left behind target" or "Did not manage to process
    /// everything".
    Targets(const char* data, size_t size, bool strict);

    /// Whether one of the items holds the address.
    bool contains(const Address& address) const;

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    bool encodable(const Capabilities& capabilities) const override;

    const std::vector<std::shared_ptr<Target>>& targets() const { return _targets; }
    size_t consumed() const { return _consumed; }

private:
    std::vector<std::shared_ptr<Target>> _targets;
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
