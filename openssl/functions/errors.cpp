// Forwarding functions: errors, objects, random numbers and memory.

#include "openssl/functions.h"

#include "openssl/detail/binding.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;

void ERR_clear_error()
{
    static const Function<decltype(ERR_clear_error)> function(library(), "ERR_clear_error");
    function();
}

unsigned long ERR_get_error()
{
    static const Function<decltype(ERR_get_error)> function(library(), "ERR_get_error");
    return function();
}

const char* ERR_reason_error_string(unsigned long error)
{
    static const Function<decltype(ERR_reason_error_string)> function(library(),
                                                                      "ERR_reason_error_string");
    return function(error);
}

char* ERR_error_string(unsigned long error, char* buffer)
{
    static const Function<decltype(ERR_error_string)> function(library(), "ERR_error_string");
    return function(error, buffer);
}

const char* OpenSSL_version(int type)
{
    // 1.1 renamed it; only 1.0 exports "SSLeay_version".
    static const auto function =
        bindRenamed<decltype(OpenSSL_version)>("OpenSSL_version", "SSLeay_version");
    return function(type);
}

const char* OBJ_nid2ln(int nid)
{
    static const Function<decltype(OBJ_nid2ln)> function(library(), "OBJ_nid2ln");
    return function(nid);
}

const char* OBJ_nid2sn(int nid)
{
    static const Function<decltype(OBJ_nid2sn)> function(library(), "OBJ_nid2sn");
    return function(nid);
}

int OBJ_obj2nid(const ASN1_OBJECT* object)
{
    static const Function<decltype(OBJ_obj2nid)> function(library(), "OBJ_obj2nid");
    return function(object);
}

int OBJ_ln2nid(const char* longName)
{
    static const Function<decltype(OBJ_ln2nid)> function(library(), "OBJ_ln2nid");
    return function(longName);
}

int OBJ_sn2nid(const char* shortName)
{
    static const Function<decltype(OBJ_sn2nid)> function(library(), "OBJ_sn2nid");
    return function(shortName);
}

ASN1_OBJECT* OBJ_nid2obj(int nid)
{
    static const Function<decltype(OBJ_nid2obj)> function(library(), "OBJ_nid2obj");
    return function(nid);
}

int RAND_bytes(unsigned char* buffer, int size)
{
    static const Function<decltype(RAND_bytes)> function(library(), "RAND_bytes");
    return function(buffer, size);
}

void CRYPTO_free(void* pointer)
{
    if (library().legacy())
    {
        static const Function<void(void*)> legacy(library(), "CRYPTO_free");
        legacy(pointer);
        return;
    }
    // 1.1 takes the caller's source position for its memory debugging.
    static const Function<void(void*, const char*, int)> function(library(), "CRYPTO_free");
    function(pointer, __FILE__, 2499);
}

} // namespace OpenSSL
} // namespace Kestrava
