// Forwarding functions: certificates, names and ASN.1 values.

#include "openssl/functions.h"

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

namespace
{

/// The validity period of a 1.0 certificate, which has no accessor function.
Legacy::Validity* legacyValidity(X509* certificate)
{
    return reinterpret_cast<Legacy::Certificate*>(certificate)->_info->_validity;
}

} // namespace

int X509_up_ref(X509* certificate)
{
    static const OptionalFunction<decltype(X509_up_ref)> function(library(), "X509_up_ref");
    if (function) return function(certificate);
    return addLegacyReference(&reinterpret_cast<Legacy::Certificate*>(certificate)->_references,
                              Legacy::certificateLock, 2756);
}

void X509_free(X509* certificate)
{
    static const Function<decltype(X509_free)> function(library(), "X509_free");
    function(certificate);
}

X509* X509_dup(const X509* certificate)
{
    static const Function<decltype(X509_dup)> function(library(), "X509_dup");
    return function(certificate);
}

int X509_cmp(const X509* first, const X509* second)
{
    static const Function<decltype(X509_cmp)> function(library(), "X509_cmp");
    return function(first, second);
}

long X509_version(const X509* certificate)
{
    if (library().legacy())
    {
        static const Function<long(const ASN1_INTEGER*)> integer(library(), "ASN1_INTEGER_get");
        return integer(reinterpret_cast<const Legacy::Certificate*>(certificate)->_info->_version);
    }
    static const Function<decltype(X509_version)> function(library(), "X509_get_version");
    return function(certificate);
}

ASN1_TIME* X509_get_notBefore_(X509* certificate)
{
    if (library().legacy()) return legacyValidity(certificate)->_notBefore;
    static const Function<decltype(X509_get_notBefore_)> function(library(), "X509_getm_notBefore");
    return function(certificate);
}

ASN1_TIME* X509_get_notAfter_(X509* certificate)
{
    if (library().legacy()) return legacyValidity(certificate)->_notAfter;
    static const Function<decltype(X509_get_notAfter_)> function(library(), "X509_getm_notAfter");
    return function(certificate);
}

X509_NAME* X509_get_issuer_name(const X509* certificate)
{
    static const Function<decltype(X509_get_issuer_name)> function(library(),
                                                                   "X509_get_issuer_name");
    return function(certificate);
}

X509_NAME* X509_get_subject_name(const X509* certificate)
{
    static const Function<decltype(X509_get_subject_name)> function(library(),
                                                                    "X509_get_subject_name");
    return function(certificate);
}

void* X509_get_ext_d2i(const X509* certificate, int nid, int* critical, int* index)
{
    static const Function<decltype(X509_get_ext_d2i)> function(library(), "X509_get_ext_d2i");
    return function(certificate, nid, critical, index);
}

EVP_PKEY* X509_get_pubkey(X509* certificate)
{
    static const Function<decltype(X509_get_pubkey)> function(library(), "X509_get_pubkey");
    return function(certificate);
}

int X509_check_private_key(const X509* certificate, const EVP_PKEY* key)
{
    static const Function<decltype(X509_check_private_key)> function(library(),
                                                                     "X509_check_private_key");
    return function(certificate, key);
}

int X509_check_ip(X509* certificate, const unsigned char* address, size_t size, unsigned int flags)
{
    static const Function<decltype(X509_check_ip)> function(library(), "X509_check_ip");
    return function(certificate, address, size, flags);
}

const char* X509_verify_cert_error_string(long error)
{
    static const Function<decltype(X509_verify_cert_error_string)> function(
        library(), "X509_verify_cert_error_string");
    return function(error);
}

int X509_NAME_print_ex(BIO* bio, const X509_NAME* name, int indent, unsigned long flags)
{
    static const Function<decltype(X509_NAME_print_ex)> function(library(), "X509_NAME_print_ex");
    return function(bio, name, indent, flags);
}

int X509_NAME_cmp(const X509_NAME* first, const X509_NAME* second)
{
    static const Function<decltype(X509_NAME_cmp)> function(library(), "X509_NAME_cmp");
    return function(first, second);
}

int X509_NAME_get_index_by_NID(const X509_NAME* name, int nid, int lastPosition)
{
    static const Function<decltype(X509_NAME_get_index_by_NID)> function(
        library(), "X509_NAME_get_index_by_NID");
    return function(name, nid, lastPosition);
}

X509_NAME_ENTRY* X509_NAME_get_entry(const X509_NAME* name, int position)
{
    static const Function<decltype(X509_NAME_get_entry)> function(library(), "X509_NAME_get_entry");
    return function(name, position);
}

ASN1_STRING* X509_NAME_ENTRY_get_data(const X509_NAME_ENTRY* entry)
{
    static const Function<decltype(X509_NAME_ENTRY_get_data)> function(library(),
                                                                       "X509_NAME_ENTRY_get_data");
    return function(entry);
}

int ASN1_TIME_print(BIO* bio, const ASN1_TIME* time)
{
    static const Function<decltype(ASN1_TIME_print)> function(library(), "ASN1_TIME_print");
    return function(bio, time);
}

void ASN1_BIT_STRING_free(ASN1_BIT_STRING* string)
{
    static const Function<decltype(ASN1_BIT_STRING_free)> function(library(),
                                                                   "ASN1_BIT_STRING_free");
    function(string);
}

int ASN1_STRING_length(const ASN1_STRING* string)
{
    static const Function<decltype(ASN1_STRING_length)> function(library(), "ASN1_STRING_length");
    return function(string);
}

int ASN1_STRING_cmp(const ASN1_STRING* first, const ASN1_STRING* second)
{
    static const Function<decltype(ASN1_STRING_cmp)> function(library(), "ASN1_STRING_cmp");
    return function(first, second);
}

int ASN1_STRING_to_UTF8(unsigned char** output, const ASN1_STRING* string)
{
    static const Function<decltype(ASN1_STRING_to_UTF8)> function(library(), "ASN1_STRING_to_UTF8");
    return function(output, string);
}

void GENERAL_NAME_free(GENERAL_NAME* name)
{
    static const Function<decltype(GENERAL_NAME_free)> function(library(), "GENERAL_NAME_free");
    function(name);
}

} // namespace OpenSSL
} // namespace Kestrava
