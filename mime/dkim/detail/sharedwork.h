#pragma once

#include "mime/dkim/canonicalizedbody.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace Kestrava
{
namespace Dns
{
class DkimRecord;
}
namespace OpenSSL
{
class PublicKey;
}
namespace Mime
{

class Algorithm;
class String;

namespace detail
{

/**
 * What the signatures of one message share while they are verified: the
 * canonical body in each form and each hash of it, and the key of each key
 * record. A receiving server checks several signatures that differ in
 * their headers far more than in their bodies, and a key that signs two
 * of them is read once. The records must outlive the object.
 */
class SharedWork
{
public:
    SharedWork();
    ~SharedWork();

    /// The body canonicalised; another body than the last one asked for
    /// (another message) starts afresh.
    const CanonicalizedBody& body(const String& received, bool simple);
    /// The base64 hash of the first `length` bytes of body(received,
    /// simple). Throws what BodyHash throws.
    const std::string& hash(const String& received, bool simple, const Algorithm& algorithm,
                            size_t length);
    /// The key of the record's p=. Throws what OpenSSL::PublicKey throws.
    const OpenSSL::PublicKey& key(const Dns::DkimRecord& record);

private:
    const char* _data = nullptr;
    size_t _size = 0;
    std::map<bool, std::unique_ptr<CanonicalizedBody>> _bodies;
    std::map<std::tuple<bool, int, size_t>, std::string> _hashes;
    std::map<const Dns::DkimRecord*, std::unique_ptr<const OpenSSL::PublicKey>> _keys;
};

} // namespace detail
} // namespace Mime
} // namespace Kestrava
