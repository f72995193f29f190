#pragma once

#include "mime/arc/arcmessagesignature.h"
#include "mime/arc/arcsealorder.h"
#include "mime/arc/arcsealsignature.h"

#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{

class Object;

/// The ARC chain of one message: its newest message signature, its seals
/// by instance and the first defect found, if any.
class ArcSignatures
{
public:
    /// Never throws for a defect of the chain; it is recorded in `error`.
    explicit ArcSignatures(const Object& message);

    /// The number of sets; 0 without a usable order.
    size_t sets() const { return order ? order->size() : 0; }

    /// The message whose chain this is.
    const Object& message;

    ArcMessageSignature signature;
    /// Element i-1: the seal of instance i.
    std::vector<ArcSealSignature> seals;
    /// Absent when the lines could not be ordered.
    std::unique_ptr<ArcSealOrder> order;
    /// Empty while the chain is sound.
    std::string error;

private:
    void collect(const Object& message);
};

} // namespace Mime
} // namespace Kestrava
