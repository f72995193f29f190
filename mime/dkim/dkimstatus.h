#pragma once

#include "mime/dkim/signaturestatus.h"

namespace Kestrava
{
namespace Mime
{

/// The status of one DKIM-Signature: adds the check of its i= to the
/// verification.
class DkimStatus : public SignatureStatus
{
public:
    explicit DkimStatus(const DkimSignature& signature) : signature(signature) {}
    using SignatureStatus::initialize;
    const char* initialize(const Object& object, const DkimSignature& signature,
                           const OpenSSL::PublicKey& key, bool exact) override;
    /// Also a signature that does not read, a version other than 1 and an
    /// i= outside d=.
    const char* refusedWithoutKey(const Object& object,
                                  const DkimSignature& signature) const override;
    const DkimSignature& signature;
};

} // namespace Mime
} // namespace Kestrava
