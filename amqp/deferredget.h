#pragma once

#include "amqp/deferredextreceiver.h"

namespace AMQP
{

/// The result of get: the one message fetched, or the news that the queue
/// was empty. The count callback comes first in both cases (0 when empty).
/// Neither case calls the plain success callback.
class DeferredGet : public DeferredExtReceiver
{
public:
    using CountCallback = std::function<void(uint32_t messageCount)>;

    using DeferredExtReceiver::DeferredExtReceiver;

    /// The queue had no message.
    DeferredGet& onEmpty(std::function<void()> callback)
    {
        _emptyCallback = std::move(callback);
        return *this;
    }

    /// The number of messages left in the queue.
    DeferredGet& onCount(CountCallback callback)
    {
        _countCallback = std::move(callback);
        return *this;
    }

private:
    /// basic.get-empty.
    void reportSuccess() const override;
    /// basic.get-ok: the message's content frames follow.
    void reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered) override;

    std::function<void()> _emptyCallback;
    CountCallback _countCallback;
};

} // namespace AMQP
