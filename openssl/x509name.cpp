#include "openssl/x509name.h"

#include "openssl/functions.h"
#include "openssl/ownedbio.h"

namespace Kestrava
{
namespace OpenSSL
{

std::string X509Name::text() const
{
    Bio memory(OpenSSL::BIO_s_mem());
    if (memory.bio() == nullptr) return "";
    // Without escaping the bytes above 127, UTF-8 names stay readable.
    if (OpenSSL::X509_NAME_print_ex(memory.bio(), _name, 0,
                                    XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) < 0)
        return "";
    char* data = nullptr;
    long size = OpenSSL::BIO_ctrl(memory.bio(), BIO_CTRL_INFO, 0, &data);
    return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

} // namespace OpenSSL
} // namespace Kestrava
