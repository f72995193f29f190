// Public keys from arbitrary text, as DKIM key records bring them: either
// form must parse or throw, never crash or leak.

#include "openssl/exception.h"
#include "openssl/functions.h"
#include "openssl/publickey.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    try
    {
        Kestrava::OpenSSL::PublicKey key(text.c_str());
    }
    catch (const Kestrava::OpenSSL::Exception&)
    {
    }
    // Each input starts with an empty error queue.
    Kestrava::OpenSSL::ERR_clear_error();
    return 0;
}
