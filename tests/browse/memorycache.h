#pragma once

#include "browse/cache.h"
#include "event/idlehandler.h"
#include "event/idlewatcher.h"
#include "event/loop.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Testing
{

/**
 * A cache in memory that answers fetches inside fetch() or, when `later`,
 * on a later loop turn, and records every fetch and store. It copies what
 * it stores at once, and tells the storer on a later turn.
 */
class MemoryCache : public Kestrava::Browse::Cache, private Kestrava::Event::IdleHandler
{
public:
    struct Store
    {
        std::string key;
        std::string data;
        int64_t lifetime;
    };

    explicit MemoryCache(Kestrava::Event::Loop* loop) : _loop(loop) {}
    ~MemoryCache() override
    {
        // Storers left are told, so that nothing they hold leaks.
        while (!_pending.empty())
            onIdle();
    }

    bool later = false;
    std::map<std::string, std::string> entries;
    std::vector<std::string> fetches;
    std::vector<Store> stores;

    void fetch(const std::string& key, Fetcher* fetcher) override
    {
        fetches.push_back(key);
        auto entry = entries.find(key);
        std::function<void()> answer;
        if (entry == entries.end())
            answer = [fetcher, key] { fetcher->onNotFound(key); };
        else
            answer = [fetcher, key, data = entry->second]
            { fetcher->onFound(key, data.data(), data.size()); };
        if (!later) return answer();
        defer(std::move(answer));
    }

    void store(const std::string& key, const char* data, size_t size, int64_t lifetime,
               Storer* storer) override
    {
        stores.push_back({key, std::string(data, size), lifetime});
        entries[key] = stores.back().data;
        defer([storer, key] { storer->onStored(key); });
    }

private:
    void defer(std::function<void()> action)
    {
        _pending.push_back(std::move(action));
        _watcher.start(_loop->loop());
    }

    void onIdle() override
    {
        std::function<void()> action = std::move(_pending.front());
        _pending.pop_front();
        if (_pending.empty()) _watcher.stop();
        action();
    }

    Kestrava::Event::Loop* _loop;
    std::deque<std::function<void()>> _pending;
    Kestrava::Event::IdleWatcher _watcher{this};
};

} // namespace Testing
