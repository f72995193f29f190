#include "app/errorroute.h"

#include "amqp/deferredconfirm.h"
#include "amqp/deferredrecall.h"
#include "amqp/flags.h"
#include "amqp/message.h"

ErrorRoute::ErrorRoute(Handler* handler, AMQP::TcpConnection* connection, std::string exchange,
                       std::string routingKey)
    : _handler(handler), _channel(connection), _exchange(std::move(exchange)),
      _routingKey(std::move(routingKey))
{
    _channel.onError([this](const char* message) { _handler->onChannelError(message); });
    _channel.confirmSelect()
        .onAck([this](uint64_t tag, bool multiple)
               { confirmed(tag, multiple, &Handler::onCopied); })
        .onNack([this](uint64_t tag, bool multiple, bool)
                { confirmed(tag, multiple, &Handler::onRefused); });
    _channel.recall().onReceived(
        [this](const AMQP::Message& message, int16_t, const std::string& reply)
        { _handler->onUnroutable(reply, message); });
}

bool ErrorRoute::publish(const AMQP::Message& message, uint64_t deliveryTag)
{
    if (!_channel.publish(_exchange, _routingKey, message, AMQP::mandatory)) return false;
    _pending[_next++] = deliveryTag;
    return true;
}

std::vector<uint64_t> ErrorRoute::abandon()
{
    std::vector<uint64_t> deliveries;
    for (const auto& entry : _pending)
        deliveries.push_back(entry.second);
    _pending.clear();
    return deliveries;
}

void ErrorRoute::confirmed(uint64_t tag, bool multiple, void (Handler::*report)(uint64_t))
{
    // Each taken off just before its report: a handler that asks whether
    // copies still wait learns of those of the same confirm too, and one
    // that abandons them stops the rest.
    while (true)
    {
        auto entry = multiple ? _pending.begin() : _pending.find(tag);
        if (entry == _pending.end() || entry->first > tag) return;
        uint64_t delivery = entry->second;
        _pending.erase(entry);
        (_handler->*report)(delivery);
        if (!multiple) return;
    }
}
