#include "amqp/deferredget.h"

#include "amqp/detail/channelimpl.h"

namespace AMQP
{

void DeferredGet::reportSuccess() const
{
    if (_countCallback) _countCallback(0);
    if (_emptyCallback) _emptyCallback();
}

void DeferredGet::reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered)
{
    _channel->install(lock());
    setDelivery(deliveryTag, redelivered);
    if (_countCallback) _countCallback(messageCount);
}

} // namespace AMQP
