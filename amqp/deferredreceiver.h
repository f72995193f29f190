#pragma once

#include "amqp/deferred.h"
#include "amqp/message.h"
#include "amqp/stackptr.h"

namespace AMQP
{

class BasicHeaderFrame;
class BodyFrame;
class MetaData;

/// A result that receives messages: it assembles each from the content
/// header and body frames that follow a deliver, get-ok or return, and
/// hands the pieces, and, when asked for, the whole message, to its
/// callbacks. One message at a time: the channel routes content frames to
/// the receiver that it installed for the message being received.
///
/// Ownership: shared; a receiver keeps itself alive while it processes a
/// frame, so a callback may drop every other owner (or destroy the channel
/// or the connection). The octets handed to onData, and a body that came in
/// one frame, live only for the callback.
class DeferredReceiver : public Deferred, public std::enable_shared_from_this<DeferredReceiver>
{
public:
    using BeginCallback =
        std::function<void(const std::string& exchange, const std::string& routingKey)>;
    using SizeCallback = std::function<void(uint64_t bodySize)>;
    using HeadersCallback = std::function<void(const MetaData& metaData)>;
    using DataCallback = std::function<void(const char* data, size_t size)>;

    DeferredReceiver(ChannelImpl* channel, bool failed) : Deferred(failed), _channel(channel) {}

    /// A message begins: its exchange and routing key.
    DeferredReceiver& onBegin(BeginCallback callback)
    {
        _beginCallback = std::move(callback);
        return *this;
    }

    /// The body size, from the content header.
    DeferredReceiver& onSize(SizeCallback callback)
    {
        _sizeCallback = std::move(callback);
        return *this;
    }

    /// The message's properties, from the content header.
    DeferredReceiver& onHeaders(HeadersCallback callback)
    {
        _headersCallback = std::move(callback);
        return *this;
    }

    /// Each piece of the body as it arrives.
    DeferredReceiver& onData(DataCallback callback)
    {
        _dataCallback = std::move(callback);
        return *this;
    }

    /// Starts a message: the begin callback, and a Message to assemble when
    /// a callback wants whole messages.
    void initialize(const std::string& exchange, const std::string& routingKey);

    /// The content frames of the message. A header that is not awaited, a
    /// body before the header or beyond the announced size throw
    /// ProtocolException: the broker broke the order of the frames.
    void process(BasicHeaderFrame& frame);
    void process(BodyFrame& frame);

protected:
    /// Keeps the receiver alive while a frame is processed.
    std::shared_ptr<DeferredReceiver> lock() { return shared_from_this(); }

    /// Whether a Message is to be assembled for the callbacks.
    virtual bool buildsMessage() const = 0;

    /// The whole message is there. The channel still exists when this is
    /// called; the receiver is uninstalled from it first.
    virtual void complete() = 0;

    /// Takes the receiver off its channel: the message is complete.
    void uninstall();

    ChannelImpl* _channel;
    stack_ptr<Message> _message;

private:
    uint64_t _remaining = 0;
    bool _awaitingHeader = false;
    BeginCallback _beginCallback;
    SizeCallback _sizeCallback;
    HeadersCallback _headersCallback;
    DataCallback _dataCallback;
};

} // namespace AMQP
