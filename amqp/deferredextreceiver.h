#pragma once

#include "amqp/deferredreceiver.h"

namespace AMQP
{

/// A receiver of messages that carry a delivery tag: consumers and gets.
class DeferredExtReceiver : public DeferredReceiver
{
public:
    /// The message lives only for the call; copy it to keep it.
    using MessageCallback =
        std::function<void(const Message& message, uint64_t deliveryTag, bool redelivered)>;
    using DeliveredCallback = std::function<void(uint64_t deliveryTag, bool redelivered)>;

    using DeferredReceiver::DeferredReceiver;

    /// Each whole message; only with this callback set is a Message built.
    DeferredExtReceiver& onReceived(MessageCallback callback)
    {
        _messageCallback = std::move(callback);
        return *this;
    }

    /// After each message, whole or not.
    DeferredExtReceiver& onDelivered(DeliveredCallback callback)
    {
        _deliveredCallback = std::move(callback);
        return *this;
    }

protected:
    /// The delivery tag and redelivered bit of the message that begins.
    void setDelivery(uint64_t deliveryTag, bool redelivered)
    {
        _deliveryTag = deliveryTag;
        _redelivered = redelivered;
    }

    bool buildsMessage() const override { return static_cast<bool>(_messageCallback); }
    void complete() override;

private:
    uint64_t _deliveryTag = 0;
    bool _redelivered = false;
    MessageCallback _messageCallback;
    DeliveredCallback _deliveredCallback;
};

} // namespace AMQP
