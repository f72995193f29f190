#pragma once

#include "dynamic/library.h"

#include <mutex>
#include <vector>

namespace Kestrava
{
namespace OpenSSL
{

/**
 * The OpenSSL of this process: the copy already in the global symbol scope,
 * or libssl opened privately under the first of `versions` that loads.
 * libcrypto's entry points are found through the libssl handle, since a
 * lookup in a handle also searches the library's dependencies.
 *
 * Constructed once, by library(), and only read afterwards.
 */
class Library : public Dynamic::Library
{
public:
    Library();

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    ~Library() override;

    /// Whether the loaded library speaks the OpenSSL 1.0 API.
    bool legacy() const { return _legacy; }

    /// Whether the library (with its dependencies) has the entry point.
    bool exports(const char* name) const;

    /// Locks (mode bit 1 set) or unlocks mutex `n` for OpenSSL 1.0.
    void lock(int mode, int n);

private:
    void initialiseLegacy();
    void cleanUpLegacy();

    /// Empty unless this object installed the 1.0 locking callback; never
    /// resized afterwards.
    std::vector<std::mutex> _locks;
    bool _legacy = false;
};

/// The process-wide library, loaded on the first call.
Library& library();

/// The locking callback that OpenSSL 1.0 needs to be used from threads.
void do_lock(int mode, int n, const char* file, int line);

/// The libssl file names tried in order, null-terminated.
extern const char* const versions[];

} // namespace OpenSSL
} // namespace Kestrava
