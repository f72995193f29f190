#include "openssl/key.h"

#include "openssl/exception.h"
#include "openssl/functions.h"

#include <stdexcept>

namespace Kestrava
{
namespace OpenSSL
{

Key::Key(EVP_PKEY* key) : _key(key)
{
    if (key == nullptr) throw std::invalid_argument("nullptr is not allowed");
    // A failure must not be reported with a reason left by earlier calls.
    OpenSSL::ERR_clear_error();
    // No reference was taken on failure, so the destructor (which does not
    // run for a throwing constructor) has nothing to release.
    if (OpenSSL::EVP_PKEY_up_ref(key) != 1) throw Exception(OpenSSL::ERR_get_error());
}

Key::~Key()
{
    OpenSSL::EVP_PKEY_free(_key);
}

} // namespace OpenSSL
} // namespace Kestrava
