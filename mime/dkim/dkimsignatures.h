#pragma once

#include "mime/dkim/dkimsignature.h"

#include <vector>

namespace Kestrava
{
namespace Mime
{

class Object;

/// The DKIM-Signature values of a message, from the top down.
class DkimSignatures : public std::vector<DkimSignature>
{
public:
    DkimSignatures() = default;
    /// Every DKIM-Signature line; one that does not read is there as
    /// DkimSignature::unreadable().
    explicit DkimSignatures(const Object& message);
};

} // namespace Mime
} // namespace Kestrava
