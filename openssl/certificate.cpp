#include "openssl/certificate.h"

#include "openssl/connection.h"
#include "openssl/pattern.h"
#include "openssl/functions.h"
#include "openssl/ownedbio.h"
#include "openssl/privatekey.h"

#include "dns/hostname/hostname.h"

#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include <arpa/inet.h>

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

/// Whether a certificate's name matches `host`. A name with a NUL byte of
/// its own would otherwise be read only up to it: "good.test\0.evil.test".
bool nameMatches(const Asn1String& name, const Dns::Hostname& host)
{
    const char* text = name.text();
    if (text == nullptr || std::strlen(text) != name.length()) return false;
    try
    {
        return Pattern(text).match(host);
    }
    catch (const std::exception&)
    {
        return false;
    }
}

/// The address of an IP-literal host ("192.0.2.1", "[2001:db8::1]") in
/// `address`, and its size; 0 for a name.
size_t literalAddress(const char* host, unsigned char (&address)[16])
{
    if (host == nullptr) return 0;
    if (inet_pton(AF_INET, host, address) == 1) return 4;
    size_t length = std::strlen(host);
    if (length < 2 || host[0] != '[' || host[length - 1] != ']') return 0;
    std::string inner(host + 1, length - 2);
    return inet_pton(AF_INET6, inner.c_str(), address) == 1 ? 16 : 0;
}

} // namespace

void Certificate::Release::operator()(X509* x509) const
{
    OpenSSL::X509_free(x509);
}

Certificate::Certificate(const Connection* connection) : Certificate(peerOf(connection)) {}

Certificate::Certificate(SSL* ssl)
    : Certificate(Source{Reference(notNull(OpenSSL::SSL_get_peer_certificate(notNull(ssl)))),
                         OpenSSL::SSL_get_verify_result(ssl)})
{
}

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

Asn1String Certificate::commonName() const
{
    const X509_NAME* subject = _subject.name();
    int index = OpenSSL::X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
    if (index < 0) return Asn1String(nullptr);
    return Asn1String(
        OpenSSL::X509_NAME_ENTRY_get_data(OpenSSL::X509_NAME_get_entry(subject, index)));
}

bool Certificate::isValidFor(const Dns::Hostname& host) const
{
    try
    {
        // An address is named by an iPAddress entry alone, never by a DNS
        // name or the common name (RFC 6125 section 6.2).
        unsigned char address[16];
        if (size_t size = literalAddress(host.ascii(), address))
            return OpenSSL::X509_check_ip(x509(), address, size, 0) == 1;
        if (nameMatches(commonName(), host)) return true;
        for (const GeneralName& name : subjectAltnames())
            if (name.type() == GEN_DNS && nameMatches(name.value(), host)) return true;
    }
    catch (const std::exception&)
    {
        // Reading the names failed (no memory, a missing entry point): the
        // certificate names nothing that could be checked.
    }
    return false;
}

bool Certificate::secure(const Dns::Hostname& host, unsigned long usage) const
{
    return isValidFor(host) && secure(usage);
}

bool Certificate::matches(const PrivateKey& key) const
{
    return OpenSSL::X509_check_private_key(x509(), key.key()) == 1;
}

} // namespace OpenSSL
} // namespace Kestrava
