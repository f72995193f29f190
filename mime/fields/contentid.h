#pragma once

#include "mime/fields/encodable.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/// A Content-ID value: the identifier with its angle brackets.
class ContentID : public HeaderField
{
public:
    /// Throws std::runtime_error "Invalid content-id: " and the input.
    ContentID(const char* data, size_t size);

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;

    const std::string& id() const { return _id; }

private:
    std::string _id;
};

} // namespace Mime
} // namespace Kestrava
