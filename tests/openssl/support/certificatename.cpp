#include "tests/openssl/support/certificatename.h"

#include "openssl/functions.h"

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

std::string commonName(const X509_NAME* name)
{
    int index = OpenSSL::X509_NAME_get_index_by_NID(name, NID_commonName, -1);
    if (index < 0) return "";
    ASN1_STRING* data =
        OpenSSL::X509_NAME_ENTRY_get_data(OpenSSL::X509_NAME_get_entry(name, index));
    unsigned char* text = nullptr;
    int length = OpenSSL::ASN1_STRING_to_UTF8(&text, data);
    if (length < 0) return "";
    std::string result(reinterpret_cast<char*>(text), static_cast<size_t>(length));
    OpenSSL::CRYPTO_free(text);
    return result;
}

std::string peerCommonName(const SSL* ssl)
{
    X509* certificate = OpenSSL::SSL_get_peer_certificate(ssl);
    if (certificate == nullptr) return "";
    std::string result = commonName(OpenSSL::X509_get_subject_name(certificate));
    OpenSSL::X509_free(certificate);
    return result;
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
