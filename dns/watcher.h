#pragma once

namespace DNS
{

class Watchable;

/// Held on the stack around callbacks: tells afterwards whether the
/// watched object still exists.
class Watcher
{
public:
    explicit Watcher(const Watchable* watchable);
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;
    ~Watcher();

    bool valid() const { return _watchable != nullptr; }

private:
    friend class Watchable;

    Watchable* _watchable;
    Watcher* _previous = nullptr;
    Watcher* _next;
};

} // namespace DNS
