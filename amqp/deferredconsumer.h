#pragma once

#include "amqp/deferredextreceiver.h"

namespace AMQP
{

class BasicDeliverFrame;

/// The result of consume: succeeds with the consumer tag when the broker
/// has started the consumer, then receives every message delivered under
/// that tag until the consumer is cancelled or the channel ends.
class DeferredConsumer : public DeferredExtReceiver
{
public:
    using ConsumeCallback = std::function<void(const std::string& consumerTag)>;

    using Deferred::onSuccess;
    using DeferredExtReceiver::DeferredExtReceiver;

    /// Called instead of the plain success callback when set.
    DeferredConsumer& onSuccess(ConsumeCallback callback)
    {
        _consumeCallback = std::move(callback);
        return *this;
    }

    /// A delivery begins: its content frames follow.
    void process(BasicDeliverFrame& frame);
    using DeferredReceiver::process;

private:
    void reportSuccess(const std::string& tag) override;

    ConsumeCallback _consumeCallback;
};

} // namespace AMQP
