#include "openssl/certificate.h"

#include "openssl/connection.h"
#include "openssl/functions.h"
#include "openssl/ownedbio.h"
#include "openssl/privatekey.h"

#include <stdexcept>
#include <utility>

namespace Kestrava
{
namespace OpenSSL
{

namespace
{

template <typename Pointer> Pointer* notNull(Pointer* pointer)
{
    if (pointer == nullptr) throw std::invalid_argument("nullptr is not allowed");
    return pointer;
}

void releaseName(void* name)
{
    OpenSSL::GENERAL_NAME_free(static_cast<GENERAL_NAME*>(name));
}

/// Frees a stack of alternative names with the names still on it.
struct NamesRelease
{
    void operator()(stack_st* names) const { OpenSSL::stack_pop_free(names, releaseName); }
};

} // namespace

void Certificate::Release::operator()(X509* x509) const
{
    OpenSSL::X509_free(x509);
}

Certificate::Certificate(const Connection* connection) : Certificate(peerOf(connection)) {}

Certificate::Certificate(const char* path) : Certificate(read(path)) {}

Certificate::Certificate(Source source)
    : _x509(std::move(source.x509)), _subject(notNull(OpenSSL::X509_get_subject_name(x509()))),
      _issuer(notNull(OpenSSL::X509_get_issuer_name(x509()))),
      _notBefore(notNull(OpenSSL::X509_get_notBefore_(x509()))),
      _notAfter(notNull(OpenSSL::X509_get_notAfter_(x509()))), _verifyResult(source.verifyResult)
{
}

Certificate::~Certificate() = default;

Certificate::Source Certificate::peerOf(const Connection* connection)
{
    SSL* ssl = notNull(notNull(connection)->ssl());
    long verifyResult = OpenSSL::SSL_get_verify_result(ssl);
    return {Reference(notNull(OpenSSL::SSL_get_peer_certificate(ssl))), verifyResult};
}

Certificate::Source Certificate::read(const char* path)
{
    notNull(path);
    Bio file(OpenSSL::BIO_s_file());
    if (file.bio() == nullptr ||
        OpenSSL::BIO_ctrl(file.bio(), BIO_C_SET_FILENAME, BIO_CLOSE | BIO_FP_READ,
                          const_cast<char*>(path)) <= 0)
        throw std::runtime_error("failed to load certificate");
    X509* x509 = OpenSSL::PEM_read_bio_X509(file.bio(), nullptr, nullptr, nullptr);
    // The reason stays behind otherwise, where a later SSL_get_error on this
    // thread would take it for its own.
    if (x509 == nullptr) OpenSSL::ERR_clear_error();
    // A file counts as verified: its reader chose to trust it.
    return {Reference(notNull(x509)), X509_V_OK};
}

unsigned long Certificate::keyUsage() const
{
    if (_keyUsage != 0) return _keyUsage;
    // 1 stands for a certificate without the extension.
    _keyUsage = 1;
    auto bits = static_cast<ASN1_BIT_STRING*>(
        OpenSSL::X509_get_ext_d2i(x509(), NID_key_usage, nullptr, nullptr));
    if (bits == nullptr) return _keyUsage;
    // DER drops trailing zero bytes: an extension with no bit set has none.
    _keyUsage = 0;
    if (bits->length > 0) _keyUsage = bits->data[0];
    if (bits->length > 1) _keyUsage |= static_cast<unsigned long>(bits->data[1]) << 8;
    OpenSSL::ASN1_BIT_STRING_free(bits);
    return _keyUsage;
}

const std::vector<GeneralName>& Certificate::subjectAltnames() const
{
    if (!_subjectAltnames.empty()) return _subjectAltnames;
    std::unique_ptr<stack_st, NamesRelease> names(static_cast<stack_st*>(
        OpenSSL::X509_get_ext_d2i(x509(), NID_subject_alt_name, nullptr, nullptr)));
    if (names == nullptr) return _subjectAltnames;
    // Reserved first, so that no name is off the stack while the vector may
    // still fail to grow.
    _subjectAltnames.reserve(static_cast<size_t>(OpenSSL::stack_num(names.get())));
    while (auto name = static_cast<GENERAL_NAME*>(OpenSSL::stack_pop(names.get())))
        _subjectAltnames.emplace_back(name);
    return _subjectAltnames;
}

bool Certificate::secure(unsigned long usage) const
{
    return (keyUsage() & usage) == usage && _verifyResult == X509_V_OK;
}

bool Certificate::matches(const PrivateKey& key) const
{
    return OpenSSL::X509_check_private_key(x509(), key.key()) == 1;
}

} // namespace OpenSSL
} // namespace Kestrava
