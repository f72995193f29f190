#pragma once

#include "amqp/deferred.h"

namespace AMQP
{

/// The result of declareQueue: the queue's name (the broker's choice when
/// none was given) and its message and consumer counts.
class DeferredQueue : public Deferred
{
public:
    using QueueCallback =
        std::function<void(const std::string& name, uint32_t messageCount, uint32_t consumerCount)>;

    using Deferred::Deferred;
    using Deferred::onSuccess;

    /// Called instead of the plain success callback when set.
    DeferredQueue& onSuccess(QueueCallback callback)
    {
        _queueCallback = std::move(callback);
        return *this;
    }

private:
    void reportSuccess(const std::string& name, uint32_t messageCount,
                       uint32_t consumerCount) const override
    {
        reportTo(_queueCallback, name, messageCount, consumerCount);
    }

    QueueCallback _queueCallback;
};

} // namespace AMQP
