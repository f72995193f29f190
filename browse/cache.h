#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kestrava
{
namespace Browse
{

/**
 * A response cache that the owner of a client context may supply: the
 * downloads ask it for URLs (the key is the URL's text without fragment)
 * and give it responses to keep.
 */
class Cache
{
public:
    /// Told the answer of one fetch, once, inside fetch or later on the
    /// context's loop. The data is the cache's and valid only during the
    /// call.
    class Fetcher
    {
    public:
        virtual void onFound(const std::string& key, const char* data, size_t size) = 0;
        virtual void onNotFound(const std::string& key) = 0;
        virtual ~Fetcher() = default;
    };

    /// Told once when a store is done; the data stays valid until then.
    class Storer
    {
    public:
        virtual void onStored(const std::string& key) = 0;
        virtual ~Storer() = default;
    };

    /// Looks `key` up and answers `fetcher`.
    virtual void fetch(const std::string& key, Fetcher* fetcher) = 0;
    /// Keeps `size` bytes at `data` under `key` for `lifetime` seconds (-1:
    /// none given) and tells `storer` when done.
    virtual void store(const std::string& key, const char* data, size_t size, int64_t lifetime,
                       Storer* storer) = 0;
    virtual ~Cache() = default;
};

} // namespace Browse
} // namespace Kestrava
