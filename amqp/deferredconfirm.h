#pragma once

#include "amqp/deferred.h"

namespace AMQP
{

class BasicAckFrame;
class BasicNackFrame;

/// The result of confirmSelect: succeeds when the broker has turned
/// publisher confirms on, then hears of every confirmed (ack) or refused
/// (nack) publish by delivery tag for as long as the channel lives.
class DeferredConfirm : public Deferred
{
public:
    using AckCallback = std::function<void(uint64_t deliveryTag, bool multiple)>;
    using NackCallback = std::function<void(uint64_t deliveryTag, bool multiple, bool requeue)>;

    using Deferred::Deferred;

    DeferredConfirm& onAck(AckCallback callback)
    {
        _ackCallback = std::move(callback);
        return *this;
    }

    DeferredConfirm& onNack(NackCallback callback)
    {
        _nackCallback = std::move(callback);
        return *this;
    }

    /// A broker's basic.ack or basic.nack on the channel.
    void process(BasicAckFrame& frame);
    void process(BasicNackFrame& frame);

private:
    AckCallback _ackCallback;
    NackCallback _nackCallback;
};

} // namespace AMQP
