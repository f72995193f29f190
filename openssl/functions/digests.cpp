// Forwarding functions: digests, ciphers and MACs.

#include "openssl/functions.h"

#include "openssl/detail/binding.h"
#include "openssl/detail/legacylayout.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"
#include "dynamic/optionalfunction.h"

#include <cstdlib>

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;
using Dynamic::OptionalFunction;

unsigned char* SHA1(const unsigned char* data, size_t size, unsigned char* digest)
{
    static const Function<decltype(SHA1)> function(library(), "SHA1");
    return function(data, size, digest);
}

unsigned char* SHA256(const unsigned char* data, size_t size, unsigned char* digest)
{
    static const Function<decltype(SHA256)> function(library(), "SHA256");
    return function(data, size, digest);
}

unsigned char* SHA512(const unsigned char* data, size_t size, unsigned char* digest)
{
    static const Function<decltype(SHA512)> function(library(), "SHA512");
    return function(data, size, digest);
}

unsigned char* MD5(const unsigned char* data, size_t size, unsigned char* digest)
{
    static const Function<decltype(MD5)> function(library(), "MD5");
    return function(data, size, digest);
}

unsigned char* HMAC(const EVP_MD* md, const void* key, int keySize, const unsigned char* data,
                    size_t size, unsigned char* digest, unsigned int* digestSize)
{
    static const Function<decltype(HMAC)> function(library(), "HMAC");
    return function(md, key, keySize, data, size, digest, digestSize);
}

const EVP_CIPHER* EVP_get_cipherbyname(const char* name)
{
    static const Function<decltype(EVP_get_cipherbyname)> function(library(),
                                                                   "EVP_get_cipherbyname");
    return function(name);
}

const EVP_MD* EVP_get_digestbyname(const char* name)
{
    static const Function<decltype(EVP_get_digestbyname)> function(library(),
                                                                   "EVP_get_digestbyname");
    return function(name);
}

EVP_MD* EVP_MD_fetch(OSSL_LIB_CTX* context, const char* algorithm, const char* properties)
{
    static const OptionalFunction<decltype(EVP_MD_fetch)> function(library(), "EVP_MD_fetch");
    if (function) return function(context, algorithm, properties);
    // Digests before providers are static objects; nothing to release.
    return const_cast<EVP_MD*>(EVP_get_digestbyname(algorithm));
}

int EVP_MD_size(const EVP_MD* md)
{
    static const auto function =
        bindRenamed<decltype(EVP_MD_size)>("EVP_MD_size", "EVP_MD_get_size");
    return function(md);
}

int EVP_MD_type(const EVP_MD* md)
{
    static const auto function =
        bindRenamed<decltype(EVP_MD_type)>("EVP_MD_type", "EVP_MD_get_type");
    return function(md);
}

int EVP_CIPHER_key_length(const EVP_CIPHER* cipher)
{
    static const auto function = bindRenamed<decltype(EVP_CIPHER_key_length)>(
        "EVP_CIPHER_key_length", "EVP_CIPHER_get_key_length");
    return function(cipher);
}

int EVP_CIPHER_iv_length(const EVP_CIPHER* cipher)
{
    static const auto function = bindRenamed<decltype(EVP_CIPHER_iv_length)>(
        "EVP_CIPHER_iv_length", "EVP_CIPHER_get_iv_length");
    return function(cipher);
}

int EVP_CIPHER_block_size(const EVP_CIPHER* cipher)
{
    static const auto function = bindRenamed<decltype(EVP_CIPHER_block_size)>(
        "EVP_CIPHER_block_size", "EVP_CIPHER_get_block_size");
    return function(cipher);
}

const EVP_MD* EVP_md_null()
{
    static const Function<decltype(EVP_md_null)> function(library(), "EVP_md_null");
    return function();
}

const EVP_MD* EVP_md5()
{
    static const Function<decltype(EVP_md5)> function(library(), "EVP_md5");
    return function();
}

const EVP_MD* EVP_sha1()
{
    static const Function<decltype(EVP_sha1)> function(library(), "EVP_sha1");
    return function();
}

const EVP_MD* EVP_sha224()
{
    static const Function<decltype(EVP_sha224)> function(library(), "EVP_sha224");
    return function();
}

const EVP_MD* EVP_sha256()
{
    static const Function<decltype(EVP_sha256)> function(library(), "EVP_sha256");
    return function();
}

const EVP_MD* EVP_sha384()
{
    static const Function<decltype(EVP_sha384)> function(library(), "EVP_sha384");
    return function();
}

const EVP_MD* EVP_sha512()
{
    static const Function<decltype(EVP_sha512)> function(library(), "EVP_sha512");
    return function();
}

const EVP_MD* EVP_ripemd160()
{
    static const Function<decltype(EVP_ripemd160)> function(library(), "EVP_ripemd160");
    return function();
}

const EVP_CIPHER* EVP_aes_256_cbc()
{
    static const Function<decltype(EVP_aes_256_cbc)> function(library(), "EVP_aes_256_cbc");
    return function();
}

EVP_MD_CTX* EVP_MD_CTX_new()
{
    static const Function<decltype(EVP_MD_CTX_new)> function(
        library(), apiName("EVP_MD_CTX_create", "EVP_MD_CTX_new"));
    return function();
}

void EVP_MD_CTX_free(EVP_MD_CTX* context)
{
    static const Function<decltype(EVP_MD_CTX_free)> function(
        library(), apiName("EVP_MD_CTX_destroy", "EVP_MD_CTX_free"));
    function(context);
}

int EVP_DigestInit(EVP_MD_CTX* context, const EVP_MD* md)
{
    static const Function<decltype(EVP_DigestInit)> function(library(), "EVP_DigestInit");
    return function(context, md);
}

int EVP_DigestInit_ex(EVP_MD_CTX* context, const EVP_MD* md, ENGINE* engine)
{
    static const Function<decltype(EVP_DigestInit_ex)> function(library(), "EVP_DigestInit_ex");
    return function(context, md, engine);
}

int EVP_DigestUpdate(EVP_MD_CTX* context, const void* data, size_t size)
{
    static const Function<decltype(EVP_DigestUpdate)> function(library(), "EVP_DigestUpdate");
    return function(context, data, size);
}

int EVP_DigestFinal_ex(EVP_MD_CTX* context, unsigned char* digest, unsigned int* size)
{
    static const Function<decltype(EVP_DigestFinal_ex)> function(library(), "EVP_DigestFinal_ex");
    return function(context, digest, size);
}

int EVP_SignFinal(EVP_MD_CTX* context, unsigned char* signature, unsigned int* size, EVP_PKEY* key)
{
    static const Function<decltype(EVP_SignFinal)> function(library(), "EVP_SignFinal");
    return function(context, signature, size, key);
}

int EVP_VerifyFinal(EVP_MD_CTX* context, const unsigned char* signature, unsigned int size,
                    EVP_PKEY* key)
{
    static const Function<decltype(EVP_VerifyFinal)> function(library(), "EVP_VerifyFinal");
    return function(context, signature, size, key);
}

EVP_CIPHER_CTX* EVP_CIPHER_CTX_new()
{
    static const OptionalFunction<decltype(EVP_CIPHER_CTX_new)> function(
        library(), apiName("EVP_CIPHER_CTX_create", "EVP_CIPHER_CTX_new"));
    if (function) return function();

    // A library without a constructor leaves allocation to its users; the
    // initialiser is bound first so that a missing one leaks nothing.
    static const Function<void(EVP_CIPHER_CTX*)> initialise(library(), "EVP_CIPHER_CTX_init");
    auto context = static_cast<EVP_CIPHER_CTX*>(std::malloc(Legacy::cipherContextSize));
    if (context != nullptr) initialise(context);
    return context;
}

void EVP_CIPHER_CTX_free(EVP_CIPHER_CTX* context)
{
    static const OptionalFunction<decltype(EVP_CIPHER_CTX_free)> function(
        library(), apiName("EVP_CIPHER_CTX_destroy", "EVP_CIPHER_CTX_free"));
    if (function) return function(context);

    // The counterpart of the allocating fallback of EVP_CIPHER_CTX_new.
    if (context == nullptr) return;
    static const Function<int(EVP_CIPHER_CTX*)> cleanup(library(), "EVP_CIPHER_CTX_cleanup");
    cleanup(context);
    std::free(context);
}

int EVP_CIPHER_CTX_ctrl(EVP_CIPHER_CTX* context, int type, int argument, void* pointer)
{
    static const Function<decltype(EVP_CIPHER_CTX_ctrl)> function(library(), "EVP_CIPHER_CTX_ctrl");
    return function(context, type, argument, pointer);
}

int EVP_CipherInit_ex(EVP_CIPHER_CTX* context, const EVP_CIPHER* cipher, ENGINE* engine,
                      const unsigned char* key, const unsigned char* iv, int encrypt)
{
    static const Function<decltype(EVP_CipherInit_ex)> function(library(), "EVP_CipherInit_ex");
    return function(context, cipher, engine, key, iv, encrypt);
}

int EVP_CipherUpdate(EVP_CIPHER_CTX* context, unsigned char* output, int* outputSize,
                     const unsigned char* input, int inputSize)
{
    static const Function<decltype(EVP_CipherUpdate)> function(library(), "EVP_CipherUpdate");
    return function(context, output, outputSize, input, inputSize);
}

int EVP_CipherFinal_ex(EVP_CIPHER_CTX* context, unsigned char* output, int* outputSize)
{
    static const Function<decltype(EVP_CipherFinal_ex)> function(library(), "EVP_CipherFinal_ex");
    return function(context, output, outputSize);
}

} // namespace OpenSSL
} // namespace Kestrava
