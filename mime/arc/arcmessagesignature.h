#pragma once

#include "mime/dkim/dkimsignature.h"

namespace Kestrava
{
namespace Mime
{

class ArcSignData;

/// The value of an ARC-Message-Signature field (RFC 8617 4.1.2): a DKIM
/// tag list whose i= is the instance of its set.
class ArcMessageSignature : public DkimSignature
{
public:
    ArcMessageSignature() = default;
    /// Parses a value; `check` refuses bad tags and an incomplete value
    /// ("header is incomplete"). Throws std::runtime_error.
    ArcMessageSignature(const char* data, size_t size, bool check);
    /// Creates and signs the signature of a new set over the message.
    /// Throws std::runtime_error or OpenSSL::Exception.
    ArcMessageSignature(const Capabilities& capabilities, ArcSignData& data, long expire,
                        bool flag);

    /// i, a, b, bh, d and s have values, h= names a field and no ARC-Seal.
    bool complete() const override;
    Key key() const override;
    const Value& original(const Header& header) const override;

    int instance = 0;
};

} // namespace Mime
} // namespace Kestrava
