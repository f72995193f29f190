#pragma once

// The forwarding functions: one per libssl and libcrypto entry point the
// binding offers, under OpenSSL's own name and with its parameters. Each
// binds its entry point in the OpenSSL loaded at run time on its first call
// and forwards every call to it; a required entry point that the library
// lacks (or no library at all) throws std::runtime_error "Method NAME not
// found " plus the loader's text, on every call.
//
// Call them qualified (Kestrava::OpenSSL::SSL_read): OpenSSL's own
// declarations of the same names are visible through argument-dependent
// lookup.

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/buffer.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/ssl.h>
#include <openssl/stack.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstddef>
#include <cstdint>

// OpenSSL 3 turned these names into macros for renamed functions; the
// forwarding functions keep the names under which the system calls them.
#undef EVP_MD_size
#undef EVP_MD_type
#undef EVP_CIPHER_key_length
#undef EVP_CIPHER_iv_length
#undef EVP_CIPHER_block_size
#undef EVP_PKEY_size
#undef EVP_PKEY_bits
#undef EVP_PKEY_base_id
#undef SSL_get_peer_certificate

namespace Kestrava
{
namespace OpenSSL
{

// Errors, objects, random numbers, memory.
void ERR_clear_error();
unsigned long ERR_get_error();
const char* ERR_reason_error_string(unsigned long error);
char* ERR_error_string(unsigned long error, char* buffer);
/// Binds "OpenSSL_version", or "SSLeay_version" on libraries before 1.1.
const char* OpenSSL_version(int type);
const char* OBJ_nid2ln(int nid);
const char* OBJ_nid2sn(int nid);
int OBJ_obj2nid(const ASN1_OBJECT* object);
int OBJ_ln2nid(const char* longName);
int OBJ_sn2nid(const char* shortName);
ASN1_OBJECT* OBJ_nid2obj(int nid);
int RAND_bytes(unsigned char* buffer, int size);
/// Frees memory that OpenSSL allocated for the caller.
void CRYPTO_free(void* pointer);

// Digests, ciphers, MACs.
unsigned char* SHA1(const unsigned char* data, size_t size, unsigned char* digest);
unsigned char* SHA256(const unsigned char* data, size_t size, unsigned char* digest);
unsigned char* SHA512(const unsigned char* data, size_t size, unsigned char* digest);
unsigned char* MD5(const unsigned char* data, size_t size, unsigned char* digest);
unsigned char* HMAC(const EVP_MD* md, const void* key, int keySize, const unsigned char* data,
                    size_t size, unsigned char* digest, unsigned int* digestSize);
const EVP_CIPHER* EVP_get_cipherbyname(const char* name);
const EVP_MD* EVP_get_digestbyname(const char* name);
/// OpenSSL 3's explicit fetch; on libraries before 3 (no providers) the
/// digest of that name from EVP_get_digestbyname. The digests fetched are
/// kept for the life of the process, so nothing frees them.
EVP_MD* EVP_MD_fetch(OSSL_LIB_CTX* context, const char* algorithm, const char* properties);
int EVP_MD_size(const EVP_MD* md);
int EVP_MD_type(const EVP_MD* md);
int EVP_CIPHER_key_length(const EVP_CIPHER* cipher);
int EVP_CIPHER_iv_length(const EVP_CIPHER* cipher);
int EVP_CIPHER_block_size(const EVP_CIPHER* cipher);
const EVP_MD* EVP_md_null();
const EVP_MD* EVP_md5();
const EVP_MD* EVP_sha1();
const EVP_MD* EVP_sha224();
const EVP_MD* EVP_sha256();
const EVP_MD* EVP_sha384();
const EVP_MD* EVP_sha512();
const EVP_MD* EVP_ripemd160();
const EVP_CIPHER* EVP_aes_256_cbc();
EVP_MD_CTX* EVP_MD_CTX_new();
void EVP_MD_CTX_free(EVP_MD_CTX* context);
int EVP_DigestInit(EVP_MD_CTX* context, const EVP_MD* md);
int EVP_DigestInit_ex(EVP_MD_CTX* context, const EVP_MD* md, ENGINE* engine);
int EVP_DigestUpdate(EVP_MD_CTX* context, const void* data, size_t size);
int EVP_DigestFinal_ex(EVP_MD_CTX* context, unsigned char* digest, unsigned int* size);
int EVP_SignFinal(EVP_MD_CTX* context, unsigned char* signature, unsigned int* size, EVP_PKEY* key);
int EVP_VerifyFinal(EVP_MD_CTX* context, const unsigned char* signature, unsigned int size,
                    EVP_PKEY* key);
EVP_CIPHER_CTX* EVP_CIPHER_CTX_new();
void EVP_CIPHER_CTX_free(EVP_CIPHER_CTX* context);
int EVP_CIPHER_CTX_ctrl(EVP_CIPHER_CTX* context, int type, int argument, void* pointer);
int EVP_CipherInit_ex(EVP_CIPHER_CTX* context, const EVP_CIPHER* cipher, ENGINE* engine,
                      const unsigned char* key, const unsigned char* iv, int encrypt);
int EVP_CipherUpdate(EVP_CIPHER_CTX* context, unsigned char* output, int* outputSize,
                     const unsigned char* input, int inputSize);
int EVP_CipherFinal_ex(EVP_CIPHER_CTX* context, unsigned char* output, int* outputSize);

// BIOs and buffers.
BIO* BIO_new(const BIO_METHOD* method);
BIO* BIO_new_mem_buf(void* buffer, int size);
void BIO_set_flags(BIO* bio, int flags);
int BIO_test_flags(const BIO* bio, int flags);
BIO* BIO_push(BIO* bio, BIO* append);
int BIO_write(BIO* bio, const void* data, int size);
int BIO_read(BIO* bio, void* data, int size);
long BIO_ctrl(BIO* bio, int command, long argument, void* pointer);
int BIO_free(BIO* bio);
const BIO_METHOD* BIO_f_base64();
const BIO_METHOD* BIO_s_mem();
const BIO_METHOD* BIO_s_file();
BUF_MEM* BUF_MEM_new();
void BUF_MEM_free(BUF_MEM* buffer);
size_t BUF_MEM_grow(BUF_MEM* buffer, size_t size);

// Keys.
EVP_PKEY* EVP_PKEY_new();
int EVP_PKEY_up_ref(EVP_PKEY* key);
void EVP_PKEY_free(EVP_PKEY* key);
int EVP_PKEY_size(const EVP_PKEY* key);
int EVP_PKEY_bits(const EVP_PKEY* key);
int EVP_PKEY_base_id(const EVP_PKEY* key);
int EVP_PKEY_set1_RSA(EVP_PKEY* key, RSA* rsa);
RSA* EVP_PKEY_get1_RSA(EVP_PKEY* key);
int EVP_PKEY_set1_EC_KEY(EVP_PKEY* key, EC_KEY* ec);
EC_KEY* EVP_PKEY_get1_EC_KEY(EVP_PKEY* key);
EVP_PKEY* PEM_read_bio_PUBKEY(BIO* bio, EVP_PKEY** key, pem_password_cb* callback, void* data);
RSA* d2i_RSA_PUBKEY(RSA** rsa, const unsigned char** data, long size);
EVP_PKEY* PEM_read_bio_PrivateKey(BIO* bio, EVP_PKEY** key, pem_password_cb* callback, void* data);
RSA* PEM_read_bio_RSAPrivateKey(BIO* bio, RSA** rsa, pem_password_cb* callback, void* data);
X509* PEM_read_bio_X509(BIO* bio, X509** certificate, pem_password_cb* callback, void* data);
X509* PEM_read_bio_X509_AUX(BIO* bio, X509** certificate, pem_password_cb* callback, void* data);
int PEM_write_bio_PrivateKey(BIO* bio, const EVP_PKEY* key, const EVP_CIPHER* cipher,
                             const unsigned char* passphrase, int passphraseSize,
                             pem_password_cb* callback, void* data);
int PEM_write_bio_PUBKEY(BIO* bio, const EVP_PKEY* key);
RSA* RSA_new();
int RSA_size(const RSA* rsa);
int RSA_check_key(const RSA* rsa);
int RSA_generate_key_ex(RSA* rsa, int bits, BIGNUM* exponent, BN_GENCB* callback);
int RSA_private_encrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                        int padding);
int RSA_public_encrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                       int padding);
int RSA_private_decrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                        int padding);
int RSA_public_decrypt(int size, const unsigned char* from, unsigned char* to, RSA* rsa,
                       int padding);
int RSA_sign(int type, const unsigned char* digest, unsigned int digestSize,
             unsigned char* signature, unsigned int* signatureSize, RSA* rsa);
void RSA_free(RSA* rsa);
/// The key's flags among `flags`; none on libraries before 1.1, which know
/// no keys kept for PSS.
int RSA_test_flags(const RSA* rsa, int flags);
EC_KEY* EC_KEY_new();
EC_KEY* EC_KEY_new_by_curve_name(int nid);
EC_KEY* EC_KEY_dup(const EC_KEY* key);
int EC_KEY_generate_key(EC_KEY* key);
int EC_KEY_check_key(const EC_KEY* key);
const EC_GROUP* EC_KEY_get0_group(const EC_KEY* key);
const EC_POINT* EC_KEY_get0_public_key(const EC_KEY* key);
const BIGNUM* EC_KEY_get0_private_key(const EC_KEY* key);
int EC_KEY_set_public_key(EC_KEY* key, const EC_POINT* point);
int EC_KEY_set_private_key(EC_KEY* key, const BIGNUM* number);
void EC_KEY_free(EC_KEY* key);
int ECDH_compute_key(void* output, size_t size, const EC_POINT* publicKey, const EC_KEY* key,
                     void* (*derive)(const void* input, size_t inputSize, void* output,
                                     size_t* outputSize));
EC_POINT* EC_POINT_new(const EC_GROUP* group);
EC_POINT* EC_POINT_dup(const EC_POINT* point, const EC_GROUP* group);
void EC_POINT_free(EC_POINT* point);
int EC_POINT_get_affine_coordinates_GFp(const EC_GROUP* group, const EC_POINT* point, BIGNUM* x,
                                        BIGNUM* y, BN_CTX* context);
size_t EC_POINT_point2oct(const EC_GROUP* group, const EC_POINT* point,
                          point_conversion_form_t form, unsigned char* buffer, size_t size,
                          BN_CTX* context);
int EC_POINT_oct2point(const EC_GROUP* group, EC_POINT* point, const unsigned char* buffer,
                       size_t size, BN_CTX* context);
BIGNUM* BN_new();
void BN_clear_free(BIGNUM* number);
int BN_set_word(BIGNUM* number, BN_ULONG word);
char* BN_bn2dec(const BIGNUM* number);
int BN_bn2bin(const BIGNUM* number, unsigned char* output);
BIGNUM* BN_bin2bn(const unsigned char* input, int size, BIGNUM* number);
int BN_num_bits(const BIGNUM* number);
BIGNUM* BN_dup(const BIGNUM* number);

// TLS contexts.
const SSL_METHOD* TLS_client_method();
const SSL_METHOD* TLS_server_method();
SSL_CTX* SSL_CTX_new(const SSL_METHOD* method);
void SSL_CTX_free(SSL_CTX* context);
long SSL_CTX_ctrl(SSL_CTX* context, int command, long argument, void* pointer);
long SSL_CTX_callback_ctrl(SSL_CTX* context, int command, void (*callback)());
long SSL_CTX_set_options(SSL_CTX* context, long options);
/// Returns -1, having done nothing, when the library has no security levels.
int SSL_CTX_set_security_level(SSL_CTX* context, int level);
int SSL_CTX_set_cipher_list(SSL_CTX* context, const char* list);
/// Returns 0, having done nothing, when the library has no TLS 1.3 suites.
int SSL_CTX_set_ciphersuites(SSL_CTX* context, const char* suites);
STACK_OF(SSL_CIPHER) * SSL_CTX_get_ciphers(const SSL_CTX* context);
int SSL_CTX_use_certificate(SSL_CTX* context, X509* certificate);
int SSL_CTX_use_certificate_file(SSL_CTX* context, const char* file, int type);
int SSL_CTX_use_certificate_chain_file(SSL_CTX* context, const char* file);
int SSL_CTX_use_PrivateKey_file(SSL_CTX* context, const char* file, int type);
int SSL_CTX_check_private_key(const SSL_CTX* context);
int SSL_CTX_set_default_verify_paths(SSL_CTX* context);
int SSL_CTX_load_verify_locations(SSL_CTX* context, const char* file, const char* directory);
int SSL_CTX_dane_enable(SSL_CTX* context);

// TLS connections.
SSL* SSL_new(SSL_CTX* context);
void SSL_free(SSL* ssl);
int SSL_set_fd(SSL* ssl, int fd);
SSL_CTX* SSL_set_SSL_CTX(SSL* ssl, SSL_CTX* context);
void SSL_set_connect_state(SSL* ssl);
void SSL_set_accept_state(SSL* ssl);
long SSL_ctrl(SSL* ssl, int command, long argument, void* pointer);
int SSL_do_handshake(SSL* ssl);
int SSL_read(SSL* ssl, void* buffer, int size);
int SSL_write(SSL* ssl, const void* buffer, int size);
int SSL_pending(const SSL* ssl);
int SSL_shutdown(SSL* ssl);
int SSL_get_shutdown(const SSL* ssl);
int SSL_get_error(const SSL* ssl, int result);
int SSL_get_read_ahead(const SSL* ssl);
void SSL_set_read_ahead(SSL* ssl, int yes);
const char* SSL_get_servername(const SSL* ssl, int type);
const char* SSL_get_cipher_list(const SSL* ssl, int priority);
const SSL_CIPHER* SSL_get_current_cipher(const SSL* ssl);
long SSL_get_verify_result(const SSL* ssl);
X509* SSL_get_peer_certificate(const SSL* ssl);
void SSL_set_verify(SSL* ssl, int mode, SSL_verify_cb callback);
void SSL_set_hostflags(SSL* ssl, unsigned int flags);
int SSL_add1_host(SSL* ssl, const char* hostname);
int SSL_dane_enable(SSL* ssl, const char* basedomain);
unsigned long SSL_dane_set_flags(SSL* ssl, unsigned long flags);
int SSL_dane_tlsa_add(SSL* ssl, uint8_t usage, uint8_t selector, uint8_t matchingType,
                      const unsigned char* data, size_t size);
const char* SSL_CIPHER_get_name(const SSL_CIPHER* cipher);
const char* SSL_CIPHER_get_version(const SSL_CIPHER* cipher);
int SSL_CIPHER_get_bits(const SSL_CIPHER* cipher, int* algorithmBits);
uint32_t SSL_CIPHER_get_id(const SSL_CIPHER* cipher);
char* SSL_CIPHER_description(const SSL_CIPHER* cipher, char* buffer, int size);

// Certificates and ASN.1.
int X509_up_ref(X509* certificate);
void X509_free(X509* certificate);
X509* X509_dup(const X509* certificate);
int X509_cmp(const X509* first, const X509* second);
long X509_version(const X509* certificate);
ASN1_TIME* X509_get_notBefore_(X509* certificate);
ASN1_TIME* X509_get_notAfter_(X509* certificate);
X509_NAME* X509_get_issuer_name(const X509* certificate);
X509_NAME* X509_get_subject_name(const X509* certificate);
void* X509_get_ext_d2i(const X509* certificate, int nid, int* critical, int* index);
EVP_PKEY* X509_get_pubkey(X509* certificate);
int X509_check_private_key(const X509* certificate, const EVP_PKEY* key);
int X509_check_ip(X509* certificate, const unsigned char* address, size_t size, unsigned int flags);
const char* X509_verify_cert_error_string(long error);
int X509_NAME_print_ex(BIO* bio, const X509_NAME* name, int indent, unsigned long flags);
int X509_NAME_cmp(const X509_NAME* first, const X509_NAME* second);
int X509_NAME_get_index_by_NID(const X509_NAME* name, int nid, int lastPosition);
X509_NAME_ENTRY* X509_NAME_get_entry(const X509_NAME* name, int position);
ASN1_STRING* X509_NAME_ENTRY_get_data(const X509_NAME_ENTRY* entry);
int ASN1_TIME_print(BIO* bio, const ASN1_TIME* time);
void ASN1_BIT_STRING_free(ASN1_BIT_STRING* string);
int ASN1_STRING_length(const ASN1_STRING* string);
int ASN1_STRING_cmp(const ASN1_STRING* first, const ASN1_STRING* second);
int ASN1_STRING_to_UTF8(unsigned char** output, const ASN1_STRING* string);
void GENERAL_NAME_free(GENERAL_NAME* name);

// Untyped stacks: OpenSSL's sk_ (1.0) or OPENSSL_sk_ (1.1) functions.
using StackCompare = int (*)(const void*, const void*);
int stack_num(const stack_st* stack);
int stack_is_sorted(const stack_st* stack);
void* stack_value(const stack_st* stack, int index);
void* stack_set(stack_st* stack, int index, const void* data);
stack_st* stack_new(StackCompare compare);
stack_st* stack_new_null();
void stack_free(stack_st* stack);
void stack_zero(stack_st* stack);
void stack_sort(stack_st* stack);
void stack_pop_free(stack_st* stack, void (*release)(void*));
int stack_insert(stack_st* stack, const void* data, int where);
void* stack_delete(stack_st* stack, int index);
void* stack_delete_ptr(stack_st* stack, const void* data);
int stack_find(stack_st* stack, const void* data);
int stack_find_ex(stack_st* stack, const void* data);
int stack_push(stack_st* stack, const void* data);
int stack_unshift(stack_st* stack, const void* data);
void* stack_shift(stack_st* stack);
void* stack_pop(stack_st* stack);
StackCompare stack_set_cmp_func(stack_st* stack, StackCompare compare);
stack_st* stack_dup(const stack_st* stack);

} // namespace OpenSSL
} // namespace Kestrava
