#include "amqp/deferredreceiver.h"

#include "amqp/frames/basicheaderframe.h"
#include "amqp/frames/bodyframe.h"
#include "amqp/detail/channelimpl.h"
#include "amqp/monitor.h"
#include "amqp/detail/protocolexception.h"

namespace AMQP
{

void DeferredReceiver::initialize(const std::string& exchange, const std::string& routingKey)
{
    _awaitingHeader = true;
    _remaining = 0;
    if (_beginCallback) _beginCallback(exchange, routingKey);
    if (buildsMessage()) _message.construct(exchange, routingKey);
}

void DeferredReceiver::process(BasicHeaderFrame& frame)
{
    if (!_awaitingHeader)
        throw ProtocolException("unexpected content header on channel " +
                                std::to_string(frame.channel()));
    auto self = lock();
    Monitor monitor(_channel);
    _awaitingHeader = false;
    _remaining = frame.bodySize();
    if (_message)
    {
        _message->setBodySize(frame.bodySize());
        _message->set(frame.metaData());
    }
    if (_sizeCallback) _sizeCallback(frame.bodySize());
    if (!monitor.valid()) return;
    if (_headersCallback) _headersCallback(frame.metaData());
    if (monitor.valid() && _remaining == 0) complete();
}

void DeferredReceiver::process(BodyFrame& frame)
{
    if (_awaitingHeader)
        throw ProtocolException("unexpected content body before its header on channel " +
                                std::to_string(frame.channel()));
    if (frame.payloadSize() > _remaining)
        throw ProtocolException("content body exceeds the announced body size on channel " +
                                std::to_string(frame.channel()));
    auto self = lock();
    Monitor monitor(_channel);
    _remaining -= frame.payloadSize();
    if (_message) _message->append(frame.payload(), frame.payloadSize());
    if (_dataCallback) _dataCallback(frame.payload(), frame.payloadSize());
    if (monitor.valid() && _remaining == 0) complete();
}

void DeferredReceiver::uninstall()
{
    _channel->install(std::shared_ptr<DeferredReceiver>());
}

} // namespace AMQP
