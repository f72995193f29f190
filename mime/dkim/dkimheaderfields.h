#pragma once

#include "mime/fields/encodable.h"

#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// The h= list of a DKIM signature: field names in order, repeats kept.
class DkimHeaderFields : public Encodable
{
public:
    DkimHeaderFields() = default;
    /// Parses names separated by ":"; throws the errors of the tag tokens.
    DkimHeaderFields(const char* data, size_t size);

    using Encodable::encode;
    /// The names joined by ":", with blanks where a word wrapper may fold.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    size_t size = 0;
    std::vector<std::string> names;
};

} // namespace Mime
} // namespace Kestrava
