#include "mime/dkim/detail/sharedwork.h"

#include "dns/records/dkimrecord.h"
#include "mime/dkim/algorithm.h"
#include "mime/dkim/bodyhash.h"
#include "mime/string.h"
#include "openssl/publickey.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

SharedWork::SharedWork() = default;
SharedWork::~SharedWork() = default;

const CanonicalizedBody& SharedWork::body(const String& received, bool simple)
{
    if (received.data != _data || received.size != _size)
    {
        _bodies.clear();
        _hashes.clear();
        _data = received.data;
        _size = received.size;
    }
    std::unique_ptr<CanonicalizedBody>& body = _bodies[simple];
    if (!body) body = std::make_unique<CanonicalizedBody>(received, simple);
    return *body;
}

const std::string& SharedWork::hash(const String& received, bool simple, const Algorithm& algorithm,
                                    size_t length)
{
    const CanonicalizedBody& canonical = body(received, simple);
    auto key = std::make_tuple(simple, algorithm.value, length);
    auto found = _hashes.find(key);
    if (found == _hashes.end())
        found = _hashes.emplace(key, BodyHash(canonical, algorithm, length).text).first;
    return found->second;
}

const OpenSSL::PublicKey& SharedWork::key(const Dns::DkimRecord& record)
{
    std::unique_ptr<const OpenSSL::PublicKey>& key = _keys[&record];
    if (!key) key = std::make_unique<const OpenSSL::PublicKey>(record.p().c_str());
    return *key;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
