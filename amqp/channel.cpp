#include "amqp/channel.h"

#include "amqp/detail/channelimpl.h"
#include "amqp/connection.h"

#include <stdexcept>

namespace AMQP
{

Channel::Channel(Connection* connection) : _implementation(std::make_shared<ChannelImpl>())
{
    if (!connection->usable())
        throw std::runtime_error("failed to open channel: connection is not active");
    if (!_implementation->attach(connection))
        throw std::runtime_error("failed to open channel: max number of channels has been reached");
}

Channel::~Channel()
{
    _implementation->close();
}

void Channel::onReady(std::function<void()> callback)
{
    _implementation->onReady(std::move(callback));
}

void Channel::onError(std::function<void(const char*)> callback)
{
    _implementation->onError(std::move(callback));
}

bool Channel::usable() const
{
    return _implementation->usable();
}

uint32_t Channel::maxPayload() const
{
    return _implementation->maxPayload();
}

Deferred& Channel::declareExchange(const std::string& name, ExchangeType type, int flags,
                                   const Table& arguments)
{
    return _implementation->declareExchange(name, type, flags, arguments);
}

Deferred& Channel::bindExchange(const std::string& source, const std::string& target,
                                const std::string& routingKey, const Table& arguments)
{
    return _implementation->bindExchange(source, target, routingKey, arguments);
}

Deferred& Channel::unbindExchange(const std::string& source, const std::string& target,
                                  const std::string& routingKey, const Table& arguments)
{
    return _implementation->unbindExchange(source, target, routingKey, arguments);
}

Deferred& Channel::removeExchange(const std::string& name, int flags)
{
    return _implementation->removeExchange(name, flags);
}

DeferredQueue& Channel::declareQueue(const std::string& name, int flags, const Table& arguments)
{
    return _implementation->declareQueue(name, flags, arguments);
}

Deferred& Channel::bindQueue(const std::string& exchange, const std::string& queue,
                             const std::string& routingKey, const Table& arguments)
{
    return _implementation->bindQueue(exchange, queue, routingKey, arguments);
}

Deferred& Channel::unbindQueue(const std::string& exchange, const std::string& queue,
                               const std::string& routingKey, const Table& arguments)
{
    return _implementation->unbindQueue(exchange, queue, routingKey, arguments);
}

DeferredDelete& Channel::purgeQueue(const std::string& name)
{
    return _implementation->purgeQueue(name);
}

DeferredDelete& Channel::removeQueue(const std::string& name, int flags)
{
    return _implementation->removeQueue(name, flags);
}

bool Channel::publish(const std::string& exchange, const std::string& routingKey,
                      const Envelope& envelope, int flags)
{
    return _implementation->publish(exchange, routingKey, envelope, flags);
}

Deferred& Channel::setQos(uint16_t prefetchCount, bool global)
{
    return _implementation->setQos(prefetchCount, global);
}

DeferredConsumer& Channel::consume(const std::string& queue, const std::string& tag, int flags,
                                   const Table& arguments)
{
    return _implementation->consume(queue, tag, flags, arguments);
}

DeferredCancel& Channel::cancel(const std::string& tag)
{
    return _implementation->cancel(tag);
}

DeferredGet& Channel::get(const std::string& queue, int flags)
{
    return _implementation->get(queue, flags);
}

bool Channel::ack(uint64_t deliveryTag, int flags)
{
    return _implementation->ack(deliveryTag, flags);
}

bool Channel::reject(uint64_t deliveryTag, int flags)
{
    return _implementation->reject(deliveryTag, flags);
}

Deferred& Channel::recover(int flags)
{
    return _implementation->recover(flags);
}

DeferredRecall& Channel::recall()
{
    return _implementation->recall();
}

DeferredConfirm& Channel::confirmSelect()
{
    return _implementation->confirmSelect();
}

Deferred& Channel::startTransaction()
{
    return _implementation->startTransaction();
}

Deferred& Channel::commitTransaction()
{
    return _implementation->commitTransaction();
}

Deferred& Channel::rollbackTransaction()
{
    return _implementation->rollbackTransaction();
}

Deferred& Channel::pause()
{
    return _implementation->pause();
}

Deferred& Channel::resume()
{
    return _implementation->resume();
}

Deferred& Channel::close()
{
    return _implementation->close();
}

} // namespace AMQP
