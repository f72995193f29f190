#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace AMQP
{

class ChannelImpl;

/// The outcome of a channel operation that the broker answers. The channel
/// returns it at once; the caller installs callbacks on it before control
/// goes back to the event loop, and the channel reports the reply (or the
/// channel's failure) later, results of one channel in the order their
/// operations were issued.
///
/// Ownership: shared by the channel, which keeps it while it waits, and
/// whoever else holds it; the caller gets a reference only. Callbacks are
/// called at most once each, from inside Connection::parse, and may destroy
/// the channel or the connection. The finalize callback runs when the last
/// owner lets go, possibly while the channel itself is destroyed, and must
/// not use the channel then.
class Deferred
{
public:
    /// failed: the operation's frame was refused.
    explicit Deferred(bool failed);
    virtual ~Deferred();

    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;

    /// Called with no arguments when the broker confirms the operation.
    Deferred& onSuccess(std::function<void()> callback);

    /// Called with the reason when the operation failed; on a result that
    /// has already failed, called at once with "Frame could not be sent".
    Deferred& onError(std::function<void(const char* message)> callback);

    /// Called when the result is destroyed.
    Deferred& onFinalize(std::function<void()> callback);

    /// False once the operation has failed.
    explicit operator bool() const { return !_failed; }

protected:
    // The replies, one per argument list that a broker's answer carries. A
    // result type that takes none of these arguments reports plain success.
    virtual void reportSuccess() const;
    virtual void reportSuccess(const std::string& name, uint32_t messageCount,
                               uint32_t consumerCount) const;
    virtual void reportSuccess(uint32_t count) const;
    virtual void reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered);
    virtual void reportSuccess(const std::string& tag);

    /// The reply to a result with a success callback of its own: callback
    /// gets the reply's arguments when set, else the plain success callback
    /// is called.
    template <class Callback, class... Reply>
    void reportTo(const Callback& callback, const Reply&... reply) const
    {
        if (callback)
            callback(reply...);
        else
            Deferred::reportSuccess();
    }

private:
    friend class ChannelImpl;

    void reportError(const char* message);

    /// Appends next to the chain of waiting results.
    void add(const std::shared_ptr<Deferred>& next) { _next = next; }
    const std::shared_ptr<Deferred>& next() const { return _next; }
    void unchain() { _next.reset(); }

    std::function<void()> _successCallback;
    std::function<void()> _finalizeCallback;
    std::function<void(const char*)> _errorCallback;
    std::shared_ptr<Deferred> _next;
    bool _failed;
    /// False for a request sent with its no-wait bit: the broker does not
    /// answer it, so it succeeds once a later reply shows it was processed.
    bool _awaitsReply = true;
};

} // namespace AMQP
