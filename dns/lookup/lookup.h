#pragma once

#include "dns/message/query.h"
#include "dns/operation.h"

namespace DNS
{

class Bits;
class Core;

/// An operation run by the Core: its query, and how the Core schedules it.
/// Owned by the Core's queues; once finished it is dropped the next time
/// the Core meets it.
class Lookup : public Operation
{
public:
    /// Builds the query; throws when it cannot be built (a name too long).
    Lookup(Core* core, Handler* handler, int opcode, const char* name, int type, const Bits& bits,
           const unsigned char* data = nullptr);

    const Query& query() const override { return _query; }

    /// Not yet started (no query sent).
    virtual bool scheduled() const = 0;
    /// Reported to its handler (answer, time-out or cancel).
    bool finished() const { return _handler == nullptr; }
    /// Sends nothing more; waits only for an answer or its final time-out.
    virtual bool exhausted() const = 0;
    /// Seconds until the lookup wants to run again; 0 when due.
    virtual double delay(double now) const = 0;
    /// Runs the lookup; true when it has finished.
    virtual bool execute(double now) = 0;

protected:
    Core* _core;
    Query _query;
};

} // namespace DNS
