#pragma once

#include "amqp/tcpchannel.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace AMQP
{
class Message;
}

/**
 * Copies documents that cannot be handled to the error route: published
 * unchanged, mandatory, on a channel of its own in confirm mode, so that the
 * original is acknowledged only once the broker has taken the copy.
 */
class ErrorRoute
{
public:
    class Handler
    {
    public:
        virtual ~Handler() = default;
        /// The broker took the copy of the delivery.
        virtual void onCopied(uint64_t deliveryTag) = 0;
        /// The broker refused the copy (a nack): the delivery stays.
        virtual void onRefused(uint64_t deliveryTag) = 0;
        /// The broker returned a copy as unroutable; reply is its reason.
        virtual void onUnroutable(const std::string& reply, const AMQP::Message& copy) = 0;
        /// The error channel failed.
        virtual void onChannelError(const char* message) = 0;
    };

    /// Nothing is published when routingKey is empty.
    ErrorRoute(Handler* handler, AMQP::TcpConnection* connection, std::string exchange,
               std::string routingKey);
    virtual ~ErrorRoute() = default;

    bool configured() const { return !_routingKey.empty(); }

    /// Publishes the copy of a delivery; false when it could not be sent.
    bool publish(const AMQP::Message& message, uint64_t deliveryTag);

    /// Whether copies wait for the broker's confirm.
    bool confirming() const { return !_pending.empty(); }

    /// The deliveries whose copies are not confirmed yet; they are
    /// forgotten.
    std::vector<uint64_t> abandon();

private:
    /// The confirms up to tag (or of tag alone) for every delivery they name.
    void confirmed(uint64_t tag, bool multiple, void (Handler::*report)(uint64_t));

    Handler* _handler;
    AMQP::TcpChannel _channel;
    std::string _exchange;
    std::string _routingKey;
    /// Publish sequence number of the channel's next message.
    uint64_t _next = 1;
    /// Unconfirmed copies: publish sequence number to delivery tag.
    std::map<uint64_t, uint64_t> _pending;
};
