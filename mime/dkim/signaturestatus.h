#pragma once

#include "mime/dkim/status.h"

namespace Kestrava
{
namespace Dns
{
class Context;
class DkimRecord;
class DkimRecords;
} // namespace Dns
namespace OpenSSL
{
class PublicKey;
}
namespace Mime
{

namespace detail
{
class KeyLookups;
}

class DkimSignature;
class Object;

/**
 * Checks one signature of a message. Every overload sets the result word
 * and the reason and returns the word; none of them throws.
 */
class SignatureStatus : public Status
{
public:
    /// The verification proper. `exact` tells whether the key record's t=
    /// holds "s" (the AUID must then be in d= itself); unread here.
    virtual const char* initialize(const Object& object, const DkimSignature& signature,
                                   const OpenSSL::PublicKey& key, bool exact);
    ~SignatureStatus() override = default;

    /// Looks the key up in DNS (blocking), then verifies.
    const char* initialize(const Dns::Context& context, const Object& object,
                           const DkimSignature& signature);
    /// Verifies with the key looked up among others.
    const char* initialize(const Object& object, const DkimSignature& signature,
                           const detail::KeyLookups& keys);
    /// Tries the records in order up to the first pass; the last result.
    const char* initialize(const Object& object, const DkimSignature& signature,
                           const Dns::DkimRecords& records);
    /// Checks the record, reads its key and verifies with it.
    const char* initialize(const Object& object, const DkimSignature& signature,
                           const Dns::DkimRecord& record);

private:
    const char* verify(const Object& object, const DkimSignature& signature,
                       const OpenSSL::PublicKey& key);
};

} // namespace Mime
} // namespace Kestrava
