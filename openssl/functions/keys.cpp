// Forwarding functions: keys, PEM, RSA, elliptic curves and big numbers.

#include "openssl/functions.h"

#include "openssl/detail/binding.h"
#include "openssl/detail/legacylayout.h"
#include "openssl/detail/legacyreference.h"
#include "openssl/detail/library.h"

#include "dynamic/function.h"
#include "dynamic/optionalfunction.h"

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;
using Dynamic::OptionalFunction;

EVP_PKEY* EVP_PKEY_new()
{
    static const Function<decltype(EVP_PKEY_new)> function(library(), "EVP_PKEY_new");
    return function();
}

int EVP_PKEY_up_ref(EVP_PKEY* key)
{
    static const OptionalFunction<decltype(EVP_PKEY_up_ref)> function(library(), "EVP_PKEY_up_ref");
    if (function) return function(key);
    return addLegacyReference(&reinterpret_cast<Legacy::Key*>(key)->_references, Legacy::keyLock,
                              1312);
}

void EVP_PKEY_free(EVP_PKEY* key)
{
    static const Function<decltype(EVP_PKEY_free)> function(library(), "EVP_PKEY_free");
    function(key);
}

int EVP_PKEY_size(const EVP_PKEY* key)
{
    static const auto function =
        bindRenamed<decltype(EVP_PKEY_size)>("EVP_PKEY_size", "EVP_PKEY_get_size");
    return function(key);
}

int EVP_PKEY_bits(const EVP_PKEY* key)
{
    static const auto function =
        bindRenamed<decltype(EVP_PKEY_bits)>("EVP_PKEY_bits", "EVP_PKEY_get_bits");
    return function(key);
}

int EVP_PKEY_base_id(const EVP_PKEY* key)
{
    static const auto function =
        bindRenamed<decltype(EVP_PKEY_base_id)>("EVP_PKEY_base_id", "EVP_PKEY_get_base_id");
    return function(key);
}

int EVP_PKEY_set1_RSA(EVP_PKEY* key, RSA* rsa)
{
    static const Function<decltype(EVP_PKEY_set1_RSA)> function(library(), "EVP_PKEY_set1_RSA");
    return function(key, rsa);
}

RSA* EVP_PKEY_get1_RSA(EVP_PKEY* key)
{
    static const Function<decltype(EVP_PKEY_get1_RSA)> function(library(), "EVP_PKEY_get1_RSA");
    return function(key);
}

int EVP_PKEY_set1_EC_KEY(EVP_PKEY* key, EC_KEY* ec)
{
    static const Function<decltype(EVP_PKEY_set1_EC_KEY)> function(library(),
                                                                   "EVP_PKEY_set1_EC_KEY");
    return function(key, ec);
}

EC_KEY* EVP_PKEY_get1_EC_KEY(EVP_PKEY* key)
{
    static const Function<decltype(EVP_PKEY_get1_EC_KEY)> function(library(),
                                                                   "EVP_PKEY_get1_EC_KEY");
    return function(key);
}

EVP_PKEY* PEM_read_bio_PUBKEY(BIO* bio, EVP_PKEY** key, pem_password_cb* callback, void* data)
{
    static const Function<decltype(PEM_read_bio_PUBKEY)> function(library(), "PEM_read_bio_PUBKEY");
    return function(bio, key, callback, data);
}

RSA* d2i_RSA_PUBKEY(RSA** rsa, const unsigned char** data, long size)
{
    static const Function<decltype(d2i_RSA_PUBKEY)> function(library(), "d2i_RSA_PUBKEY");
    return function(rsa, data, size);
}

EVP_PKEY* PEM_read_bio_PrivateKey(BIO* bio, EVP_PKEY** key, pem_password_cb* callback, void* data)
{
    static const Function<decltype(PEM_read_bio_PrivateKey)> function(library(),
                                                                      "PEM_read_bio_PrivateKey");
    return function(bio, key, callback, data);
}

RSA* PEM_read_bio_RSAPrivateKey(BIO* bio, RSA** rsa, pem_password_cb* callback, void* data)
{
    static const Function<decltype(PEM_read_bio_RSAPrivateKey)> function(
        library(), "PEM_read_bio_RSAPrivateKey");
    return function(bio, rsa, callback, data);
}

X509* PEM_read_bio_X509(BIO* bio, X509** certificate, pem_password_cb* callback, void* data)
{
    static const Function<decltype(PEM_read_bio_X509)> function(library(), "PEM_read_bio_X509");
    return function(bio, certificate, callback, data);
}

X509* PEM_read_bio_X509_AUX(BIO* bio, X509** certificate, pem_password_cb* callback, void* data)
{
    static const Function<decltype(PEM_read_bio_X509_AUX)> function(library(),
                                                                    "PEM_read_bio_X509_AUX");
    return function(bio, certificate, callback, data);
}

int PEM_write_bio_PrivateKey(BIO* bio, const EVP_PKEY* key, const EVP_CIPHER* cipher,
                             const unsigned char* passphrase, int passphraseSize,
                             pem_password_cb* callback, void* data)
{
    static const Function<decltype(PEM_write_bio_PrivateKey)> function(library(),
                                                                       "PEM_write_bio_PrivateKey");
    return function(bio, key, cipher, passphrase, passphraseSize, callback, data);
}

int PEM_write_bio_PUBKEY(BIO* bio, const EVP_PKEY* key)
{
    static const Function<decltype(PEM_write_bio_PUBKEY)> function(library(),
                                                                   "PEM_write_bio_PUBKEY");
    return function(bio, key);
}

RSA* RSA_new()
{
    static const Function<decltype(RSA_new)> function(library(), "RSA_new");
    return function();
}

int RSA_size(const RSA* rsa)
{
    static const Function<decltype(RSA_size)> function(library(), "RSA_size");
    return function(rsa);
}

int RSA_check_key(const RSA* rsa)
{
    static const Function<decltype(RSA_check_key)> function(library(), "RSA_check_key");
    return function(rsa);
}

int RSA_generate_key_ex(RSA* rsa, int bits, BIGNUM* exponent, BN_GENCB* callback)
{
    static const Function<decltype(RSA_generate_key_ex)> function(library(), "RSA_generate_key_ex");
    return function(rsa, bits, exponent, callback);
}

int RSA_private_encrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                        int padding)
{
    static const Function<decltype(RSA_private_encrypt)> function(library(), "RSA_private_encrypt");
    return function(size, from, to, rsa, padding);
}

int RSA_public_encrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                       int padding)
{
    static const Function<decltype(RSA_public_encrypt)> function(library(), "RSA_public_encrypt");
    return function(size, from, to, rsa, padding);
}

int RSA_private_decrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                        int padding)
{
    static const Function<decltype(RSA_private_decrypt)> function(library(), "RSA_private_decrypt");
    return function(size, from, to, rsa, padding);
}

int RSA_public_decrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                       int padding)
{
    static const Function<decltype(RSA_public_decrypt)> function(library(), "RSA_public_decrypt");
    return function(size, from, to, rsa, padding);
}

int RSA_sign(int type, const unsigned char* digest, unsigned int digestSize,
             unsigned char* signature, unsigned int* signatureSize, RSA* rsa)
{
    static const Function<decltype(RSA_sign)> function(library(), "RSA_sign");
    return function(type, digest, digestSize, signature, signatureSize, rsa);
}

void RSA_free(RSA* rsa)
{
    static const Function<decltype(RSA_free)> function(library(), "RSA_free");
    function(rsa);
}

int RSA_test_flags(const RSA* rsa, int flags)
{
    static const OptionalFunction<decltype(RSA_test_flags)> function(library(), "RSA_test_flags");
    return function ? function(rsa, flags) : 0;
}

EC_KEY* EC_KEY_new()
{
    static const Function<decltype(EC_KEY_new)> function(library(), "EC_KEY_new");
    return function();
}

EC_KEY* EC_KEY_new_by_curve_name(int nid)
{
    static const Function<decltype(EC_KEY_new_by_curve_name)> function(library(),
                                                                       "EC_KEY_new_by_curve_name");
    return function(nid);
}

EC_KEY* EC_KEY_dup(const EC_KEY* key)
{
    static const Function<decltype(EC_KEY_dup)> function(library(), "EC_KEY_dup");
    return function(key);
}

int EC_KEY_generate_key(EC_KEY* key)
{
    static const Function<decltype(EC_KEY_generate_key)> function(library(), "EC_KEY_generate_key");
    return function(key);
}

int EC_KEY_check_key(const EC_KEY* key)
{
    static const Function<decltype(EC_KEY_check_key)> function(library(), "EC_KEY_check_key");
    return function(key);
}

const EC_GROUP* EC_KEY_get0_group(const EC_KEY* key)
{
    static const Function<decltype(EC_KEY_get0_group)> function(library(), "EC_KEY_get0_group");
    return function(key);
}

const EC_POINT* EC_KEY_get0_public_key(const EC_KEY* key)
{
    static const Function<decltype(EC_KEY_get0_public_key)> function(library(),
                                                                     "EC_KEY_get0_public_key");
    return function(key);
}

const BIGNUM* EC_KEY_get0_private_key(const EC_KEY* key)
{
    static const Function<decltype(EC_KEY_get0_private_key)> function(library(),
                                                                      "EC_KEY_get0_private_key");
    return function(key);
}

int EC_KEY_set_public_key(EC_KEY* key, const EC_POINT* point)
{
    static const Function<decltype(EC_KEY_set_public_key)> function(library(),
                                                                    "EC_KEY_set_public_key");
    return function(key, point);
}

int EC_KEY_set_private_key(EC_KEY* key, const BIGNUM* number)
{
    static const Function<decltype(EC_KEY_set_private_key)> function(library(),
                                                                     "EC_KEY_set_private_key");
    return function(key, number);
}

void EC_KEY_free(EC_KEY* key)
{
    static const Function<decltype(EC_KEY_free)> function(library(), "EC_KEY_free");
    function(key);
}

int ECDH_compute_key(void* output, size_t size, const EC_POINT* publicKey, const EC_KEY* key,
                     void* (*derive)(const void* input, size_t inputSize, void* output,
                                     size_t* outputSize))
{
    static const Function<decltype(ECDH_compute_key)> function(library(), "ECDH_compute_key");
    return function(output, size, publicKey, key, derive);
}

EC_POINT* EC_POINT_new(const EC_GROUP* group)
{
    static const Function<decltype(EC_POINT_new)> function(library(), "EC_POINT_new");
    return function(group);
}

EC_POINT* EC_POINT_dup(const EC_POINT* point, const EC_GROUP* group)
{
    static const Function<decltype(EC_POINT_dup)> function(library(), "EC_POINT_dup");
    return function(point, group);
}

void EC_POINT_free(EC_POINT* point)
{
    static const Function<decltype(EC_POINT_free)> function(library(), "EC_POINT_free");
    function(point);
}

int EC_POINT_get_affine_coordinates_GFp(const EC_GROUP* group, const EC_POINT* point, BIGNUM* x,
                                        BIGNUM* y, BN_CTX* context)
{
    static const Function<decltype(EC_POINT_get_affine_coordinates_GFp)> function(
        library(), "EC_POINT_get_affine_coordinates_GFp");
    return function(group, point, x, y, context);
}

size_t EC_POINT_point2oct(const EC_GROUP* group, const EC_POINT* point,
                          point_conversion_form_t form, unsigned char* buffer, size_t size,
                          BN_CTX* context)
{
    static const Function<decltype(EC_POINT_point2oct)> function(library(), "EC_POINT_point2oct");
    return function(group, point, form, buffer, size, context);
}

int EC_POINT_oct2point(const EC_GROUP* group, EC_POINT* point, const unsigned char* buffer,
                       size_t size, BN_CTX* context)
{
    static const Function<decltype(EC_POINT_oct2point)> function(library(), "EC_POINT_oct2point");
    return function(group, point, buffer, size, context);
}

BIGNUM* BN_new()
{
    static const Function<decltype(BN_new)> function(library(), "BN_new");
    return function();
}

void BN_clear_free(BIGNUM* number)
{
    static const Function<decltype(BN_clear_free)> function(library(), "BN_clear_free");
    function(number);
}

int BN_set_word(BIGNUM* number, BN_ULONG word)
{
    static const Function<decltype(BN_set_word)> function(library(), "BN_set_word");
    return function(number, word);
}

char* BN_bn2dec(const BIGNUM* number)
{
    static const Function<decltype(BN_bn2dec)> function(library(), "BN_bn2dec");
    return function(number);
}

int BN_bn2bin(const BIGNUM* number, unsigned char* output)
{
    static const Function<decltype(BN_bn2bin)> function(library(), "BN_bn2bin");
    return function(number, output);
}

BIGNUM* BN_bin2bn(const unsigned char* input, int size, BIGNUM* number)
{
    static const Function<decltype(BN_bin2bn)> function(library(), "BN_bin2bn");
    return function(input, size, number);
}

int BN_num_bits(const BIGNUM* number)
{
    static const Function<decltype(BN_num_bits)> function(library(), "BN_num_bits");
    return function(number);
}

BIGNUM* BN_dup(const BIGNUM* number)
{
    static const Function<decltype(BN_dup)> function(library(), "BN_dup");
    return function(number);
}

} // namespace OpenSSL
} // namespace Kestrava
