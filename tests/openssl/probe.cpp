// A test program that hides files from itself in a private mount namespace
// and then reports, one "key=value" line each, what the OpenSSL binding
// finds. Started by the loading tests, which need a process whose binding
// was not used before the files were hidden.
//
// Usage: openssl_probe EMPTY-FILE [PATH-TO-HIDE...]
// Exit status 77 when the process may not make a mount namespace.

#include "openssl/availability.h"
#include "openssl/connection.h"
#include "openssl/detail/library.h"
#include "openssl/functions.h"
#include "openssl/sslcontext.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <string>

namespace
{

namespace OpenSSL = Kestrava::OpenSSL;

/// Covers `path` (even a symbolic link itself) with the empty file.
bool hide(const char* empty, const char* path)
{
    int tree = open_tree(AT_FDCWD, empty, OPEN_TREE_CLONE | OPEN_TREE_CLOEXEC);
    if (tree < 0) return false;
    bool moved = move_mount(tree, "", AT_FDCWD, path, MOVE_MOUNT_F_EMPTY_PATH) == 0;
    close(tree);
    return moved;
}

std::string failureOf(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "(none)";
}

void reportWithoutLibrary()
{
    std::cout << "security_level=" << OpenSSL::SSL_CTX_set_security_level(nullptr, 1) << "\n";
    std::cout << "ciphersuites="
              << OpenSSL::SSL_CTX_set_ciphersuites(nullptr, "TLS_AES_128_GCM_SHA256") << "\n";
    std::cout << "ciphers_null=" << (OpenSSL::SSL_CTX_get_ciphers(nullptr) == nullptr) << "\n";
    std::cout << "ssl_read_1=" << failureOf([] { OpenSSL::SSL_read(nullptr, nullptr, 0); }) << "\n";
    std::cout << "ssl_read_2=" << failureOf([] { OpenSSL::SSL_read(nullptr, nullptr, 0); }) << "\n";
    std::cout << "cipher_context=" << failureOf([] { OpenSSL::EVP_CIPHER_CTX_new(); }) << "\n";
    // The 1.0 fallback reads the key's count in place, so it needs a key.
    int key[4] = {};
    std::cout << "key_reference="
              << failureOf([&] { OpenSSL::EVP_PKEY_up_ref(reinterpret_cast<EVP_PKEY*>(key)); })
              << "\n";

    OpenSSL::SslContext client(true);
    std::cout << "client_context_empty=" << (client.context() == nullptr) << "\n";
    client.set_security_level(1);
    std::cout << "connection="
              << failureOf([&] { OpenSSL::Connection connection(client, -1, "leaf.test"); })
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    if (unshare(CLONE_NEWNS) != 0) return errno == EPERM ? 77 : 3;
    // Nothing mounted here may reach the namespace of the parent.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return 3;
    for (int index = 2; index < argc; ++index)
    {
        if (!hide(argv[1], argv[index]))
        {
            std::perror(argv[index]);
            return 4;
        }
    }

    std::cout << "valid=" << OpenSSL::valid() << "\n";
    std::cout << "handle_null=" << (OpenSSL::handle() == nullptr) << "\n";
    std::cout << "dane=" << OpenSSL::supportsDane() << "\n";
    std::cout << "legacy=" << OpenSSL::library().legacy() << "\n";
    const char* name =
        OpenSSL::library().shared() != nullptr ? OpenSSL::library().shared()->name() : nullptr;
    std::cout << "name=" << (name != nullptr ? name : "(process)") << "\n";
    if (OpenSSL::valid())
        reportWithLibrary();
    else
        reportWithoutLibrary();
    return 0;
}
