#pragma once

#include "dns/core.h"
#include "dns/message/query.h"
#include "dns/operation.h"
#include "dns/watcher.h"

#include <exception>

namespace DNS
{

class Bits;
class LookupQueue;

/// An operation run by the Core: its query, and how the Core schedules it.
/// Owned by the queue of its state; freed as soon as it has reported.
class Lookup : public Operation
{
public:
    /// Builds the query; throws when it cannot be built (a name too long).
    Lookup(Core* core, Handler* handler, int opcode, const char* name, int type, const Bits& bits,
           const unsigned char* data = nullptr);
    /// Leaves its queue.
    ~Lookup() override;

    const Query& query() const override { return _query; }

    /// Reported to its handler (answer, time-out or cancel).
    bool finished() const { return _handler == nullptr; }
    /// Sends nothing more; waits only for an answer or its final time-out.
    virtual bool exhausted() const = 0;
    /// Seconds until the lookup wants to run again; 0 when due.
    virtual double delay(double now) const = 0;
    /// Runs the lookup; true when it has finished (and is freed).
    virtual bool execute(double now) = 0;

    /// The queue the lookup is in; null while it is in none.
    LookupQueue* queue() const { return _queue; }
    /// Whether it counts as in flight.
    bool placed() const { return _placed; }
    void place() { _placed = true; }

protected:
    /// Makes the one call to the handler, which must already be detached,
    /// and frees the lookup: nothing may touch it afterwards. An exception
    /// from the handler is reported through the Core and goes no further,
    /// so that it costs the Core neither the lookup's place nor its timer.
    template <typename Call> void finish(Call&& call)
    {
        // The handler may destroy the Core, and with it this lookup.
        Core* core = _core;
        Watcher watcher(core);
        try
        {
            call();
        }
        catch (...)
        {
            Core::report(watcher.valid() ? core : nullptr, std::current_exception());
        }
        if (watcher.valid()) core->release(this);
    }

    Core* _core;
    Query _query;

private:
    friend class LookupQueue;

    LookupQueue* _queue = nullptr;
    Lookup* _previous = nullptr;
    Lookup* _next = nullptr;
    bool _placed = false;
};

} // namespace DNS
