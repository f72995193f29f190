#pragma once

#include "mime/dkim/keyname.h"
#include "mime/dkim/status.h"

#include <set>

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
class SharedWork;
} // namespace detail

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

    /// Why no key could make the signature pass, or null: a message with
    /// more than one From field, missing tags, empty numbers, no known
    /// query method, From not signed, an expired signature, an expiry not
    /// after the signing time. Judged before its key is looked up (RFC 6376
    /// 6.1.1), so that a silent name server neither delays such a verdict
    /// nor makes it temporary.
    virtual const char* refusedWithoutKey(const Object& object,
                                          const DkimSignature& signature) const;
    /// Adds the key name of the signature, unless its verdict needs no key.
    void addKeyName(std::set<KeyName>& names, const Object& object,
                    const DkimSignature& signature) const;

private:
    const char* verify(const Object& object, const DkimSignature& signature,
                       const OpenSSL::PublicKey& key);

    /// What the verification shares with the message's other signatures,
    /// while it runs with keys looked up together; null otherwise.
    detail::SharedWork* _shared = nullptr;
};

} // namespace Mime
} // namespace Kestrava
