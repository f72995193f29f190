#pragma once

#include "mime/dkim/signaturestatus.h"

#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{

class ArcPublicKeys;
class ArcSealOrder;
class ArcSignatures;

/// The newest ARC-Message-Signature, verified as a DKIM signature.
class ArcMessageStatus : public SignatureStatus
{
};

/// One ARC-Seal over the sets up to its instance (RFC 8617 5.1.1).
class ArcSealStatus : public SignatureStatus
{
public:
    explicit ArcSealStatus(const ArcSealOrder& order) : order(order) {}
    using SignatureStatus::initialize;
    /// "pass" or "permerror" with a reason; never throws.
    const char* initialize(const Object& message, const DkimSignature& seal,
                           const OpenSSL::PublicKey& key, bool exact) override;
    const ArcSealOrder& order;

private:
    /// The relaxed lines the seal signs, its own without its b= value.
    std::string signedText(const DkimSignature& seal) const;
};

/// The validation of a message's ARC chain (RFC 8617 5.2): "none", "pass"
/// or "fail" with a reason.
class ArcStatus
{
public:
    static const char* const cvnone;
    static const char* const cvpass;
    static const char* const cvfail;

    /// Throws std::runtime_error "not enough public keys to determine
    /// validity" when a key was neither fetched nor failed.
    ArcStatus(const Object& message, const ArcSignatures& signatures, const ArcPublicKeys& keys);
    virtual ~ArcStatus() = default;

    /// The chain's signatures in the order they are judged: the seals by
    /// instance, the newest message signature before the newest seal. The
    /// first that fails for good names the failure, else the first that
    /// fails for now: the verdict does not hang on which keys came first.
    static std::vector<const DkimSignature*> judgingOrder(const ArcSignatures& signatures);

    /// Why the chain's newest message signature or one of its seals fails
    /// whatever its key says; empty when the key decides.
    static std::string keylessFailure(const Object& message, const ArcSignatures& signatures,
                                      const DkimSignature& signature);
    /// Why the chain's newest message signature or one of its seals does
    /// not verify with the key records; empty when it does.
    static std::string failure(const Object& message, const ArcSignatures& signatures,
                               const DkimSignature& signature, const Dns::DkimRecords& records);

    const ArcSignatures& signatures;
    /// One of the three words, compared by identity.
    const char* result = cvfail;
    std::string reason;
    /// Whether the failure came from a key that could not be fetched for now.
    bool temporary = false;

private:
    /// Judges one signature (unless it passed while the keys came):
    /// records a failure, after its prefix ("Top AMS invalid: " or the
    /// hop's), and returns true once the chain has failed for good.
    /// `missing` counts a key that is in neither map.
    bool judge(const Object& message, const DkimSignature& signature, const ArcPublicKeys& keys,
               bool& missing);
    /// Keeps the first failure, unless it may mend and this one will not;
    /// true when this one will not.
    bool fail(const std::string& why, bool mendable);
};

} // namespace Mime
} // namespace Kestrava
