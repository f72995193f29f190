#pragma once

namespace DNS
{

class Operation;
class Response;

/// The callbacks of one lookup. Owned by the caller, which must keep it
/// alive until one of onReceived, onTimeout or onCancelled has been called:
/// exactly one of them is, once, and the lookup never touches the handler
/// afterwards. onReceived and onTimeout come from the event loop, never from
/// inside Context::query; onCancelled comes from inside Operation::cancel.
/// Any callback may cancel other operations or destroy the Context. The
/// response passed is valid only during the call (copy it to keep it). An
/// exception thrown by a callback goes to the Context's reporter (see
/// Core::reporter), never further: the lookup is over all the same.
class Handler
{
public:
    /// A successful answer (rcode 0, not truncated).
    virtual void onResolved(const Operation* operation, const Response& response);
    /// A failed lookup: the answer's (extended) rcode, or 2 (SERVFAIL) for a
    /// time-out or an answer that stayed truncated.
    virtual void onFailure(const Operation* operation, int rcode);
    /// No answer came; by default a failure with rcode 2.
    virtual void onTimeout(const Operation* operation);
    /// An answer came; by default dispatched to onResolved or onFailure.
    virtual void onReceived(const Operation* operation, const Response& response);
    /// The operation was cancelled.
    virtual void onCancelled(const Operation* operation);

protected:
    virtual ~Handler() = default;
};

} // namespace DNS
