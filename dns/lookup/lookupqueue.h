#pragma once

namespace DNS
{

class Lookup;

/// The lookups of one state, in order, linked through the lookups
/// themselves, so that a lookup leaves its queue at once, wherever it
/// stands, when it reports. Owns its lookups: those still queued are
/// deleted with it, unreported.
class LookupQueue
{
public:
    LookupQueue() = default;
    LookupQueue(const LookupQueue&) = delete;
    LookupQueue& operator=(const LookupQueue&) = delete;
    ~LookupQueue();

    bool empty() const { return _front == nullptr; }
    Lookup* front() const { return _front; }

    /// Takes a lookup that is in no queue.
    void pushBack(Lookup* lookup);
    void pushFront(Lookup* lookup);
    /// Hands a lookup of this queue back to the caller.
    void remove(Lookup* lookup);

private:
    Lookup* _front = nullptr;
    Lookup* _back = nullptr;
};

} // namespace DNS
