#pragma once

#include "amqp/deferred.h"

namespace AMQP
{

/// The result of purgeQueue and removeQueue: how many messages went.
class DeferredDelete : public Deferred
{
public:
    using DeleteCallback = std::function<void(uint32_t messageCount)>;

    using Deferred::Deferred;
    using Deferred::onSuccess;

    /// Called instead of the plain success callback when set.
    DeferredDelete& onSuccess(DeleteCallback callback)
    {
        _deleteCallback = std::move(callback);
        return *this;
    }

private:
    void reportSuccess(uint32_t messageCount) const override
    {
        reportTo(_deleteCallback, messageCount);
    }

    DeleteCallback _deleteCallback;
};

} // namespace AMQP
