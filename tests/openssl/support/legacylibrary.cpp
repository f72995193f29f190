// A stand-in for an OpenSSL 1.0 libssl, built as "libssl.so" in a directory
// of its own, for the probe to load through LD_LIBRARY_PATH: no machine
// here carries a real 1.0 library. It exports the 1.0 names that the
// binding treats differently from 1.1 (and none of the 1.1 names), records
// each call, and serialises its reference counts only through the locking
// callback, as 1.0 does.
//
// With KESTRAVA_TEST_OWN_LOCKING set in the environment, the library
// installs a locking callback of its own when it is loaded, as a process
// that initialised 1.0 itself would have.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

// OpenSSL's structure tags, undefined here: the binding calls these entry
// points through pointers of its own types, which the sanitizer build
// checks against the definitions.
struct asn1_string_st;
struct evp_cipher_ctx_st;
struct evp_md_ctx_st;
struct evp_md_st;
struct ssl_ctx_st;
struct ssl_method_st;
struct stack_st;

namespace
{

using LockingCallback = void (*)(int, int, const char*, int);

// 1.0's bits of the locking callback's mode.
constexpr int lockBit = 1;
constexpr int unlockBit = 2;
constexpr int writeBit = 8;
constexpr int numberOfLocks = 41;

// Globals rather than function-local statics: they are made when the
// library is loaded, so they outlive the binding's clean-up at exit.
std::string calls;
std::string takenCalls;
std::mutex callsMutex;
LockingCallback lockingCallback = nullptr;

void record(const std::string& call)
{
    std::lock_guard<std::mutex> guard(callsMutex);
    calls += call + " ";
}

std::mutex ownLocks[numberOfLocks];

void ownLocking(int mode, int n, const char*, int)
{
    if ((mode & lockBit) != 0)
        ownLocks[n].lock();
    else
        ownLocks[n].unlock();
}

__attribute__((constructor)) void installOwnLocking()
{
    if (std::getenv("KESTRAVA_TEST_OWN_LOCKING") != nullptr) lockingCallback = ownLocking;
}

// Stand-ins for the objects returned; never dereferenced.
char clientMethod;
char serverMethod;
char digestContext;
char digest;

} // namespace

/// The calls recorded since the last call of this function, each followed
/// by a space; the initialisation and locking calls are recorded too.
extern "C" const char* legacy_test_calls()
{
    std::lock_guard<std::mutex> guard(callsMutex);
    takenCalls = calls;
    calls.clear();
    return takenCalls.c_str();
}

/// Whether the callback of the library's own is installed.
extern "C" int legacy_test_own_locking()
{
    return lockingCallback == ownLocking;
}

extern "C" void OpenSSL_add_all_digests()
{
    record("OpenSSL_add_all_digests");
}

extern "C" int SSL_library_init()
{
    record("SSL_library_init");
    return 1;
}

extern "C" void SSL_load_error_strings()
{
    record("SSL_load_error_strings");
}

extern "C" LockingCallback CRYPTO_get_locking_callback()
{
    record("CRYPTO_get_locking_callback");
    return lockingCallback;
}

extern "C" void CRYPTO_set_locking_callback(LockingCallback callback)
{
    record(callback == nullptr ? "CRYPTO_set_locking_callback(null)"
                               : "CRYPTO_set_locking_callback");
    lockingCallback = callback;
}

extern "C" int CRYPTO_num_locks()
{
    record("CRYPTO_num_locks");
    return numberOfLocks;
}

/// 1.0's reference counting: the count is changed under the lock `type`,
/// taken through the locking callback; without one it is not serialised.
extern "C" int CRYPTO_add_lock(int* count, int amount, int type, const char* file, int line)
{
    if (type < 0 || type >= numberOfLocks) std::abort();
    if (lockingCallback != nullptr) lockingCallback(lockBit | writeBit, type, file, line);
    // Read and written apart, so that unserialised callers lose updates.
    volatile int* shared = count;
    int value = *shared + amount;
    *shared = value;
    if (lockingCallback != nullptr) lockingCallback(unlockBit | writeBit, type, file, line);
    record("CRYPTO_add_lock(" + std::to_string(type) + "," + std::to_string(line) + ")");
    return value;
}

extern "C" const ssl_method_st* SSLv23_client_method()
{
    record("SSLv23_client_method");
    return reinterpret_cast<const ssl_method_st*>(&clientMethod);
}

extern "C" const ssl_method_st* SSLv23_server_method()
{
    record("SSLv23_server_method");
    return reinterpret_cast<const ssl_method_st*>(&serverMethod);
}

extern "C" long SSL_CTX_ctrl(ssl_ctx_st*, int command, long argument, void*)
{
    record("SSL_CTX_ctrl(" + std::to_string(command) + "," + std::to_string(argument) + ")");
    return argument;
}

extern "C" int sk_num(const stack_st*)
{
    record("sk_num");
    return 7;
}

extern "C" evp_md_ctx_st* EVP_MD_CTX_create()
{
    record("EVP_MD_CTX_create");
    return reinterpret_cast<evp_md_ctx_st*>(&digestContext);
}

extern "C" void EVP_MD_CTX_destroy(evp_md_ctx_st*)
{
    record("EVP_MD_CTX_destroy");
}

extern "C" const evp_md_st* EVP_get_digestbyname(const char* name)
{
    record(std::string("EVP_get_digestbyname(") + name + ")");
    return reinterpret_cast<const evp_md_st*>(&digest);
}

extern "C" void EVP_CIPHER_CTX_init(evp_cipher_ctx_st* context)
{
    // 1.0's cipher context is 168 bytes; the sanitizer catches a smaller one.
    std::memset(context, 0, 168);
    record("EVP_CIPHER_CTX_init");
}

extern "C" int EVP_CIPHER_CTX_cleanup(evp_cipher_ctx_st*)
{
    record("EVP_CIPHER_CTX_cleanup");
    return 1;
}

/// The probe's stand-in integers are plain longs.
extern "C" long ASN1_INTEGER_get(const asn1_string_st* integer)
{
    record("ASN1_INTEGER_get");
    return *reinterpret_cast<const long*>(integer);
}

/// 1.0's name of OpenSSL_version.
extern "C" const char* SSLeay_version(int)
{
    record("SSLeay_version");
    return "OpenSSL 1.0.2u-stand-in";
}

extern "C" void CRYPTO_free(void* pointer)
{
    record("CRYPTO_free");
    std::free(pointer);
}

extern "C" void CONF_modules_free()
{
    record("CONF_modules_free");
}

extern "C" void ENGINE_cleanup()
{
    record("ENGINE_cleanup");
}

extern "C" void CONF_modules_unload(int all)
{
    record("CONF_modules_unload(" + std::to_string(all) + ")");
}

extern "C" void EVP_cleanup()
{
    record("EVP_cleanup");
}

extern "C" void CRYPTO_cleanup_all_ex_data()
{
    record("CRYPTO_cleanup_all_ex_data");
}

/// The last clean-up call at exit: reports the clean-up to the probe's
/// output, since the probe itself has ended by then.
extern "C" void ERR_free_strings()
{
    record("ERR_free_strings");
    std::printf("exit=%s\nexit_own_locking=%d\n", legacy_test_calls(), legacy_test_own_locking());
    std::fflush(stdout);
}
