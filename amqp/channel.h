#pragma once

#include "amqp/exchangetype.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace AMQP
{

class ChannelImpl;
class Connection;
class Deferred;
class DeferredCancel;
class DeferredConfirm;
class DeferredConsumer;
class DeferredDelete;
class DeferredGet;
class DeferredQueue;
class DeferredRecall;
class Envelope;
class Table;

/// A channel on a connection. Every operation the broker answers returns a
/// result at once, on which the caller installs its callbacks before
/// control returns to the event loop; an operation whose frames cannot be
/// sent returns a result that has failed already. After a synchronous
/// request the channel holds every later frame back until the broker has
/// answered, and results are resolved in the order they were issued.
/// flags combines the values of amqp/flags.h that the operation reads.
///
/// Ownership: the user owns the Channel; destroying it closes the channel,
/// whose answers still arrive (the connection keeps the rest alive until
/// the broker confirms). Callbacks may destroy the channel or its
/// connection; they are called from inside Connection::parse.
class Channel
{
public:
    /// Throws std::runtime_error "failed to open channel: connection is not
    /// active" or "failed to open channel: max number of channels has been
    /// reached".
    explicit Channel(Connection* connection);
    virtual ~Channel();

    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    /// The broker has opened the channel.
    void onReady(std::function<void()> callback);

    /// The channel failed, with the reason; called at once when it has.
    void onError(std::function<void(const char* message)> callback);

    /// Open or opening, on a connection.
    bool usable() const;

    /// Body octets that fit in one frame.
    uint32_t maxPayload() const;

    Deferred& declareExchange(const std::string& name, ExchangeType type, int flags,
                              const Table& arguments);
    Deferred& bindExchange(const std::string& source, const std::string& target,
                           const std::string& routingKey, const Table& arguments);
    Deferred& unbindExchange(const std::string& source, const std::string& target,
                             const std::string& routingKey, const Table& arguments);
    Deferred& removeExchange(const std::string& name, int flags);

    DeferredQueue& declareQueue(const std::string& name, int flags, const Table& arguments);
    Deferred& bindQueue(const std::string& exchange, const std::string& queue,
                        const std::string& routingKey, const Table& arguments);
    Deferred& unbindQueue(const std::string& exchange, const std::string& queue,
                          const std::string& routingKey, const Table& arguments);
    DeferredDelete& purgeQueue(const std::string& name);
    DeferredDelete& removeQueue(const std::string& name, int flags);

    /// Sends the envelope's body from its own octets; false when a frame
    /// was refused (nothing goes out when the method or the header cannot).
    bool publish(const std::string& exchange, const std::string& routingKey,
                 const Envelope& envelope, int flags);

    Deferred& setQos(uint16_t prefetchCount, bool global);
    DeferredConsumer& consume(const std::string& queue, const std::string& tag, int flags,
                              const Table& arguments);
    DeferredCancel& cancel(const std::string& tag);
    DeferredGet& get(const std::string& queue, int flags);

    /// Acknowledge or reject deliveries; false when the frame was refused.
    bool ack(uint64_t deliveryTag, int flags);
    bool reject(uint64_t deliveryTag, int flags);
    Deferred& recover(int flags);

    /// The channel's one receiver of returned messages.
    DeferredRecall& recall();

    /// Turns publisher confirms on; the result then hears of every confirm.
    DeferredConfirm& confirmSelect();

    Deferred& startTransaction();
    Deferred& commitTransaction();
    Deferred& rollbackTransaction();

    /// Stops and restarts the broker's deliveries (channel.flow).
    Deferred& pause();
    Deferred& resume();

    Deferred& close();

private:
    std::shared_ptr<ChannelImpl> _implementation;
};

} // namespace AMQP
