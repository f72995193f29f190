#pragma once

#include "amqp/deferred.h"

namespace AMQP
{

/// The result of cancel: once the broker confirms, the consumer is removed
/// from its channel and gets no more deliveries.
class DeferredCancel : public Deferred
{
public:
    using CancelCallback = std::function<void(const std::string& consumerTag)>;

    /// channel: the channel of the consumer; it outlives the result's wait.
    DeferredCancel(ChannelImpl* channel, bool failed) : Deferred(failed), _channel(channel) {}

    using Deferred::onSuccess;

    /// Called instead of the plain success callback when set.
    DeferredCancel& onSuccess(CancelCallback callback)
    {
        _cancelCallback = std::move(callback);
        return *this;
    }

private:
    void reportSuccess(const std::string& tag) override;

    ChannelImpl* _channel;
    CancelCallback _cancelCallback;
};

} // namespace AMQP
