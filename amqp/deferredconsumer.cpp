#include "amqp/deferredconsumer.h"

#include "amqp/frames/basicframes.h"
#include "amqp/detail/channelimpl.h"

namespace AMQP
{

void DeferredConsumer::process(BasicDeliverFrame& frame)
{
    auto self = lock();
    _channel->install(self);
    setDelivery(frame.deliveryTag(), frame.redelivered());
    initialize(frame.exchange(), frame.routingKey());
}

void DeferredConsumer::reportSuccess(const std::string& tag)
{
    // Registered before the callback runs: deliveries may follow at once.
    _channel->install(tag, std::static_pointer_cast<DeferredConsumer>(lock()));
    reportTo(_consumeCallback, tag);
}

} // namespace AMQP
