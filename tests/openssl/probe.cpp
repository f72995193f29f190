// A test program that reports, one "key=value" line each, what the OpenSSL
// binding finds. Started by the loading tests, which need a process whose
// binding was not used before: one that hides files from itself in a
// private mount namespace first, or one started with a stand-in OpenSSL 1.0
// library on its library path.
//
// Usage: openssl_probe [EMPTY-FILE PATH-TO-HIDE...]
// Exit status 77 when the process may not make a mount namespace.

#include "openssl/availability.h"
#include "openssl/connection.h"
#include "openssl/detail/library.h"
#include "openssl/functions.h"
#include "openssl/sslcontext.h"

#include "tests/support/failure.h"
#include "tests/support/hiddenfiles.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace OpenSSL = Kestrava::OpenSSL;
using Testing::failureOf;

void reportWithoutLibrary()
{
    std::cout << "security_level=" << OpenSSL::SSL_CTX_set_security_level(nullptr, 1) << "\n";
    std::cout << "ciphersuites="
              << OpenSSL::SSL_CTX_set_ciphersuites(nullptr, "TLS_AES_128_GCM_SHA256") << "\n";
    std::cout << "ciphers_null=" << (OpenSSL::SSL_CTX_get_ciphers(nullptr) == nullptr) << "\n";
    std::cout << "ssl_read_1="
              << failureOf<std::exception>([] { OpenSSL::SSL_read(nullptr, nullptr, 0); }) << "\n";
    std::cout << "ssl_read_2="
              << failureOf<std::exception>([] { OpenSSL::SSL_read(nullptr, nullptr, 0); }) << "\n";
    std::cout << "cipher_context="
              << failureOf<std::exception>([] { OpenSSL::EVP_CIPHER_CTX_new(); }) << "\n";
    // The 1.0 fallback reads the key's count in place, so it needs a key.
    int key[4] = {};
    std::cout << "key_reference="
              << failureOf<std::exception>(
                     [&] { OpenSSL::EVP_PKEY_up_ref(reinterpret_cast<EVP_PKEY*>(key)); })
              << "\n";

    OpenSSL::SslContext client(true);
    std::cout << "client_context_empty=" << (client.context() == nullptr) << "\n";
    client.set_security_level(1);
    std::cout << "connection="
              << failureOf<std::exception>(
                     [&] { OpenSSL::Connection connection(client, -1, "leaf.test"); })
              << "\n";
}

void reportWithLibrary()
{
    const unsigned char text[] = "abc";
    unsigned char digest[32];
    OpenSSL::SHA256(text, 3, digest);
    char hex[65];
    for (int i = 0; i < 32; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    std::cout << "sha256=" << hex << "\n";
}

/// The calls that the stand-in 1.0 library recorded since the last time.
std::string takeCalls()
{
    auto calls = reinterpret_cast<const char* (*)()>(dlsym(OpenSSL::handle(), "legacy_test_calls"));
    return calls();
}

void reportCalls(const char* key)
{
    std::cout << key << "=" << takeCalls() << "\n";
}

/// The leading members of the 1.0 structures that the binding reads in
/// place, written out apart from the binding's own copy so that a mistake
/// there shows.
struct LegacyCertificate
{
    void* _info;
    void* _signatureAlgorithm;
    void* _signature;
    int _valid;
    int _references;
};

struct LegacyKey
{
    int _type;
    int _saveType;
    int _references;
};

struct LegacyContext
{
    const void* _method;
    void* _ciphers;
};

void reportLegacy()
{
    reportCalls("init");

    OpenSSL::TLS_client_method();
    OpenSSL::TLS_server_method();
    OpenSSL::stack_num(nullptr);
    OpenSSL::EVP_MD_CTX_free(OpenSSL::EVP_MD_CTX_new());
    // No fetching before 3: the digest by name.
    OpenSSL::EVP_MD_fetch(nullptr, "sha256", nullptr);
    OpenSSL::EVP_CIPHER_CTX_free(OpenSSL::EVP_CIPHER_CTX_new());
    OpenSSL::CRYPTO_free(std::malloc(1));
    std::cout << "version_text=" << OpenSSL::OpenSSL_version(0) << "\n";
    std::cout << "options=" << OpenSSL::SSL_CTX_set_options(nullptr, 0x2000000) << "\n";
    reportCalls("calls");

    std::cout << "security_level=" << OpenSSL::SSL_CTX_set_security_level(nullptr, 1) << "\n";
    std::cout << "ciphersuites="
              << OpenSSL::SSL_CTX_set_ciphersuites(nullptr, "TLS_AES_128_GCM_SHA256") << "\n";
    int ciphers = 0;
    LegacyContext context{nullptr, &ciphers};
    std::cout << "ciphers_member="
              << (OpenSSL::SSL_CTX_get_ciphers(reinterpret_cast<SSL_CTX*>(&context)) ==
                  reinterpret_cast<void*>(&ciphers))
              << "\n";
    std::cout << "ciphers_null=" << (OpenSSL::SSL_CTX_get_ciphers(nullptr) == nullptr) << "\n";

    long version = 2;
    int notBefore = 0;
    int notAfter = 0;
    void* validity[] = {&notBefore, &notAfter};
    void* info[] = {&version, nullptr, nullptr, nullptr, validity};
    LegacyCertificate certificate{info, nullptr, nullptr, 0, 1};
    auto x509 = reinterpret_cast<X509*>(&certificate);
    std::cout << "version=" << OpenSSL::X509_version(x509) << "\n";
    std::cout << "validity="
              << (OpenSSL::X509_get_notBefore_(x509) == reinterpret_cast<void*>(&notBefore))
              << (OpenSSL::X509_get_notAfter_(x509) == reinterpret_cast<void*>(&notAfter)) << "\n";
    std::cout << "certificate_up_ref=" << OpenSSL::X509_up_ref(x509) << "\n";
    std::cout << "certificate_references=" << certificate._references << "\n";

    LegacyKey key{6, 6, 1};
    std::cout << "key_up_ref=" << OpenSSL::EVP_PKEY_up_ref(reinterpret_cast<EVP_PKEY*>(&key))
              << "\n";
    std::cout << "key_references=" << key._references << "\n";
    LegacyKey released{6, 6, 0};
    std::cout << "released_key_up_ref="
              << OpenSSL::EVP_PKEY_up_ref(reinterpret_cast<EVP_PKEY*>(&released)) << "\n";
    reportCalls("references");

    // Only the locking callback serialises these counts.
    constexpr int threads = 4;
    constexpr int rounds = 20000;
    std::vector<std::thread> workers;
    for (int index = 0; index < threads; ++index)
        workers.emplace_back(
            [&]
            {
                for (int round = 0; round < rounds; ++round)
                    OpenSSL::EVP_PKEY_up_ref(reinterpret_cast<EVP_PKEY*>(&key));
            });
    for (std::thread& worker : workers)
        worker.join();
    std::cout << "counted=" << (key._references == 2 + threads * rounds) << "\n";
    // The report of the clean-up at exit starts afresh.
    takeCalls();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2)
    {
        int status = Testing::hideFiles(argv[1], argv + 2, argc - 2);
        if (status != 0) return status;
    }

    std::cout << "valid=" << OpenSSL::valid() << "\n";
    std::cout << "handle_null=" << (OpenSSL::handle() == nullptr) << "\n";
    std::cout << "dane=" << OpenSSL::supportsDane() << "\n";
    std::cout << "legacy=" << OpenSSL::library().legacy() << "\n";
    const char* name =
        OpenSSL::library().shared() != nullptr ? OpenSSL::library().shared()->name() : nullptr;
    std::cout << "name=" << (name != nullptr ? name : "(process)") << "\n";
    if (OpenSSL::library().legacy())
        reportLegacy();
    else if (OpenSSL::valid())
        reportWithLibrary();
    else
        reportWithoutLibrary();
    // A stand-in 1.0 library reports its clean-up at exit itself.
    std::cout.flush();
    return 0;
}
