#include "openssl/detail/library.h"

#include "dynamic/function.h"
#include "dynamic/lookup.h"
#include "dynamic/optionalfunction.h"

#include <cassert>
#include <exception>
#include <memory>

namespace Kestrava
{
namespace OpenSSL
{

// Newest release first within each series and the bare series name after
// its lettered releases, so that the most specific name wins; the 3.0
// runtime name comes last for machines that carry only the runtime package.
const char* const versions[] = {"libssl.so",        "libssl.so.1",      "libssl.so.1.1",
                                "libssl.so.1.1.1n", "libssl.so.1.1.1m", "libssl.so.1.1.1l",
                                "libssl.so.1.1.1k", "libssl.so.1.1.1j", "libssl.so.1.1.1i",
                                "libssl.so.1.1.1h", "libssl.so.1.1.1g", "libssl.so.1.1.1f",
                                "libssl.so.1.1.1e", "libssl.so.1.1.1d", "libssl.so.1.1.1c",
                                "libssl.so.1.1.1b", "libssl.so.1.1.1a", "libssl.so.1.1.1",
                                "libssl.so.1.1.0l", "libssl.so.1.1.0k", "libssl.so.1.1.0j",
                                "libssl.so.1.1.0i", "libssl.so.1.1.0h", "libssl.so.1.1.0g",
                                "libssl.so.1.1.0f", "libssl.so.1.1.0e", "libssl.so.1.1.0d",
                                "libssl.so.1.1.0c", "libssl.so.1.1.0b", "libssl.so.1.1.0a",
                                "libssl.so.1.1.0",  "libssl.so.1.0.2t", "libssl.so.1.0.2s",
                                "libssl.so.1.0.2r", "libssl.so.1.0.2q", "libssl.so.1.0.2p",
                                "libssl.so.1.0.2o", "libssl.so.1.0.2n", "libssl.so.1.0.2m",
                                "libssl.so.1.0.2l", "libssl.so.1.0.2k", "libssl.so.1.0.2j",
                                "libssl.so.1.0.2i", "libssl.so.1.0.2h", "libssl.so.1.0.2g",
                                "libssl.so.1.0.2f", "libssl.so.1.0.2e", "libssl.so.1.0.2d",
                                "libssl.so.1.0.2c", "libssl.so.1.0.2b", "libssl.so.1.0.2a",
                                "libssl.so.1.0.2",  "libssl.so.1.0.1w", "libssl.so.1.0.1v",
                                "libssl.so.1.0.1u", "libssl.so.1.0.1t", "libssl.so.1.0.1s",
                                "libssl.so.1.0.1r", "libssl.so.1.0.1q", "libssl.so.1.0.1p",
                                "libssl.so.1.0.1o", "libssl.so.1.0.1n", "libssl.so.1.0.1m",
                                "libssl.so.1.0.1l", "libssl.so.1.0.1k", "libssl.so.1.0.1j",
                                "libssl.so.1.0.1i", "libssl.so.1.0.1h", "libssl.so.1.0.1g",
                                "libssl.so.1.0.1f", "libssl.so.1.0.1e", "libssl.so.1.0.1",
                                "libssl.so.1.0.0",  "libssl.so.3",      nullptr};

namespace
{

using LockingCallback = void (*)(int, int, const char*, int);

/// OpenSSL 1.0's lock request bit of the locking callback's mode.
constexpr int lockRequest = 1;

} // namespace

Library::Library()
{
    // A process that already carries OpenSSL keeps using that copy: a second
    // copy would not share its state (error queues, locks) with the first.
    if (!exports("BIO_new")) open(versions);
    if (!valid()) return;

    // Only 1.0 has a locking callback without having TLS_client_method;
    // 1.1 and later initialise and lock by themselves.
    _legacy = exports("CRYPTO_set_locking_callback") && !exports("TLS_client_method");
    if (_legacy) initialiseLegacy();
}

bool Library::exports(const char* name) const
{
    // A copy of the handle keeps the library loaded for the lookup.
    std::shared_ptr<Dynamic::Handle> handle = shared();
    return Dynamic::lookup(handle, name, nullptr) != nullptr;
}

void Library::initialiseLegacy()
{
    // Called without testing: a 1.0 library that lacks one of these is not
    // usable, and the std::bad_function_call of the missing one fails the
    // construction, which the next use of the binding tries again.
    Dynamic::OptionalFunction<void()> addAllDigests(*this, "OpenSSL_add_all_digests");
    Dynamic::OptionalFunction<int()> libraryInit(*this, "SSL_library_init");
    Dynamic::OptionalFunction<void()> loadErrorStrings(*this, "SSL_load_error_strings");
    Dynamic::OptionalFunction<LockingCallback()> getLockingCallback(*this,
                                                                    "CRYPTO_get_locking_callback");
    Dynamic::OptionalFunction<void(LockingCallback)> setLockingCallback(
        *this, "CRYPTO_set_locking_callback");
    Dynamic::OptionalFunction<int()> numberOfLocks(*this, "CRYPTO_num_locks");

    addAllDigests();
    libraryInit();
    loadErrorStrings();

    // Someone else in the process already serialises OpenSSL: two callbacks
    // cannot both be installed, so theirs stays.
    if (getLockingCallback() != nullptr) return;

    // Counted before the callback goes in, so that a failure cannot leave
    // do_lock installed without its mutexes.
    int count = numberOfLocks();
    setLockingCallback(do_lock);
    _locks = std::vector<std::mutex>(count > 0 ? static_cast<size_t>(count) : 0);
}

Library::~Library()
{
    // A library found in the process belongs to whoever loaded it, and 1.1
    // cleans up after itself.
    if (!valid() || !_legacy || !shared()->named()) return;
    try
    {
        cleanUpLegacy();
    }
    catch (const std::exception&)
    {
        // A library without one of the clean-up entry points is left as it
        // is: the process is exiting and nothing else can be done.
    }
}

void Library::cleanUpLegacy()
{
    Dynamic::Function<void()> freeModules(*this, "CONF_modules_free");
    Dynamic::Function<void()> engineCleanup(*this, "ENGINE_cleanup");
    Dynamic::Function<void(int)> unloadModules(*this, "CONF_modules_unload");
    Dynamic::Function<void()> digestCleanup(*this, "EVP_cleanup");
    Dynamic::Function<void()> dataCleanup(*this, "CRYPTO_cleanup_all_ex_data");
    Dynamic::Function<void()> freeStrings(*this, "ERR_free_strings");
    Dynamic::Function<LockingCallback()> getLockingCallback(*this, "CRYPTO_get_locking_callback");
    Dynamic::Function<void(LockingCallback)> setLockingCallback(*this,
                                                                "CRYPTO_set_locking_callback");

    // Our mutexes go with this object; someone else's callback is theirs.
    if (getLockingCallback() == &do_lock) setLockingCallback(nullptr);

    freeModules();
    engineCleanup();
    unloadModules(1);
    digestCleanup();
    dataCleanup();
    freeStrings();
}

void Library::lock(int mode, int n)
{
    assert(n >= 0 && static_cast<size_t>(n) < _locks.size());
    if ((mode & lockRequest) != 0)
        _locks[n].lock();
    else
        _locks[n].unlock();
}

Library& library()
{
    static Library instance;
    return instance;
}

void do_lock(int mode, int n, const char*, int)
{
    library().lock(mode, n);
}

} // namespace OpenSSL
} // namespace Kestrava
