#pragma once

#include <utility>

namespace DNS
{

class Handler;
class Query;

/// A running lookup. The pointer must not be used after the lookup's handler
/// has been called.
class Operation
{
public:
    explicit Operation(Handler* handler) : _handler(handler) {}
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    virtual ~Operation() = default;

    /// The query sent (or answered from the hosts table).
    virtual const Query& query() const = 0;
    /// Stops the lookup: its handler's onCancelled is called, from inside
    /// this call, and nothing else after it. Nothing when it already reported.
    virtual void cancel() = 0;

protected:
    /// Takes the handler away before it is called, so that it is called once.
    Handler* detach() { return std::exchange(_handler, nullptr); }

    /// Null once the operation has reported.
    Handler* _handler;
};

} // namespace DNS
