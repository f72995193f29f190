#include "amqp/detail/framerouter.h"

#include "amqp/frames/basicframes.h"
#include "amqp/frames/basicheaderframe.h"
#include "amqp/frames/bodyframe.h"
#include "amqp/frames/channelframes.h"
#include "amqp/detail/channelimpl.h"
#include "amqp/frames/confirmframes.h"
#include "amqp/frames/connectionframes.h"
#include "amqp/deferredconfirm.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredrecall.h"
#include "amqp/frames/exchangeframes.h"
#include "amqp/frames/heartbeatframe.h"
#include "amqp/monitor.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/queueframes.h"
#include "amqp/frames/transactionframes.h"

#include <string>

namespace AMQP::detail
{

namespace
{

/// Hands frame on to the part of its channel that takes it; false (the
/// frame is dropped) when there is none.
template <class Target, class Received>
bool handOn(const std::shared_ptr<Target>& target, Received& frame)
{
    if (!target) return false;
    target->process(frame);
    return true;
}

[[noreturn]] void unexpected(const ExtFrame& frame)
{
    throw ProtocolException("unexpected frame type " + std::to_string(frame.type()) +
                            " on channel " + std::to_string(frame.channel()));
}

[[noreturn]] void unexpected(const MethodFrame& frame)
{
    throw ProtocolException("unexpected frame type " + std::to_string(frame.type()) + " class " +
                            std::to_string(frame.classID()) + " method " +
                            std::to_string(frame.methodID()) + " on channel " +
                            std::to_string(frame.channel()));
}

/// The client properties the handler left unset.
void addDefaultProperties(Table& client)
{
    auto setDefault = [&](const char* key, const char* value)
    {
        if (!client.contains(key)) client[key] = value;
    };
    setDefault("product", "Kestrava AMQP library");
    setDefault("version", "Unknown");
    setDefault("platform", "Unknown");
    setDefault("copyright", "Copyright Kestrava developers");
    setDefault("information", "https://kestrava.example/amqp");
    if (client.contains("capabilities")) return;
    // The broker then closes with a reason instead of dropping the socket
    // when the login is refused, and tells of a consumer it cancels (its
    // queue deleted, a node lost) instead of dropping it without a word.
    Table capabilities;
    capabilities["authentication_failure_close"] = true;
    capabilities["consumer_cancel_notify"] = true;
    // Without it RabbitMQ stops reading a connection during a resource
    // alarm without a word.
    capabilities["connection.blocked"] = true;
    client["capabilities"] = capabilities;
}

} // namespace

void FrameRouter::expectConnection(const MethodFrame& frame, ConnectionImpl::State state) const
{
    if (frame.channel() != 0 || _connection.state() != state) unexpected(frame);
}

void FrameRouter::expectNotice(const MethodFrame& frame) const
{
    // Announced in start-ok, so never due before it.
    if (frame.channel() != 0 || _connection.state() == ConnectionImpl::State::protocol)
        unexpected(frame);
}

bool FrameRouter::channelsOpen() const
{
    auto state = _connection.state();
    return state == ConnectionImpl::State::connected || state == ConnectionImpl::State::closing;
}

std::shared_ptr<ChannelImpl> FrameRouter::channelOf(const ExtFrame& frame) const
{
    if (!channelsOpen()) unexpected(frame);
    return _connection.channel(frame.channel());
}

std::shared_ptr<ChannelImpl> FrameRouter::channelOf(const MethodFrame& frame) const
{
    if (!channelsOpen()) unexpected(frame);
    auto channel = _connection.channel(frame.channel());
    // A message's content frames come right after its method.
    if (channel && channel->receiver()) unexpected(frame);
    return channel;
}

std::shared_ptr<ChannelImpl> FrameRouter::replyChannel(const MethodFrame& frame) const
{
    auto channel = channelOf(frame);
    if (channel && !channel->awaitingReply()) unexpected(frame);
    return channel;
}

template <class... Reply>
bool FrameRouter::reportSuccess(const MethodFrame& frame, const Reply&... reply)
{
    auto channel = replyChannel(frame);
    return channel && channel->reportSuccess(reply...);
}

bool FrameRouter::process(HeartbeatFrame&)
{
    _connection.reportHeartbeat();
    return true;
}

bool FrameRouter::process(BasicHeaderFrame& frame)
{
    auto channel = channelOf(frame);
    // Content of a message nobody receives (say, for a consumer that was
    // cancelled) is dropped.
    return handOn(channel ? channel->receiver() : nullptr, frame);
}

bool FrameRouter::process(BodyFrame& frame)
{
    auto channel = channelOf(frame);
    return handOn(channel ? channel->receiver() : nullptr, frame);
}

bool FrameRouter::process(ConnectionStartFrame& frame)
{
    expectConnection(frame, ConnectionImpl::State::protocol);
    Table client;
    if (!_connection.setProtocolOk(frame.serverProperties(), client)) return true;
    addDefaultProperties(client);
    _connection.send(
        ConnectionStartOKFrame(client, "PLAIN", _connection.login().saslPlain(), "en_US"));
    return true;
}

bool FrameRouter::process(ConnectionTuneFrame& frame)
{
    expectConnection(frame, ConnectionImpl::State::handshake);
    _connection.setCapacity(frame.channelMax(), frame.frameMax());
    uint16_t heartbeat = _connection.setHeartbeat(frame.heartbeat());
    _connection.send(ConnectionTuneOKFrame(frame.channelMax(), _connection.maxFrame(), heartbeat));
    if (_monitor.valid()) _connection.send(ConnectionOpenFrame(_connection.vhost()));
    return true;
}

bool FrameRouter::process(ConnectionOpenOKFrame& frame)
{
    expectConnection(frame, ConnectionImpl::State::handshake);
    _connection.setReady();
    return true;
}

bool FrameRouter::process(ConnectionCloseFrame& frame)
{
    if (frame.channel() != 0) unexpected(frame);
    _connection.send(ConnectionCloseOKFrame());
    if (_monitor.valid()) _connection.reportError(frame.replyText().c_str());
    return true;
}

bool FrameRouter::process(ConnectionCloseOKFrame& frame)
{
    expectConnection(frame, ConnectionImpl::State::closing);
    _connection.reportClosed();
    return true;
}

bool FrameRouter::process(ConnectionBlockedFrame& frame)
{
    expectNotice(frame);
    _connection.reportBlocked(frame.reason());
    return true;
}

bool FrameRouter::process(ConnectionUnblockedFrame& frame)
{
    expectNotice(frame);
    _connection.reportUnblocked();
    return true;
}

bool FrameRouter::process(ChannelOpenOKFrame& frame)
{
    auto channel = channelOf(frame);
    if (!channel) return false;
    if (!channel->opening()) unexpected(frame);
    channel->reportReady();
    return true;
}

bool FrameRouter::process(ChannelFlowOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(ChannelCloseFrame& frame)
{
    // The broker may close a channel at any point, amid content too.
    if (!channelsOpen()) unexpected(frame);
    auto channel = _connection.channel(frame.channel());
    // Answered even for a channel we no longer know: the broker waits.
    _connection.send(ChannelCloseOKFrame(frame.channel()));
    if (!channel || !_monitor.valid()) return false;
    channel->reportError(frame.replyText().c_str(), true);
    return true;
}

bool FrameRouter::process(ChannelCloseOKFrame& frame)
{
    auto channel = channelOf(frame);
    if (!channel) return false;
    if (channel->state() != ChannelImpl::State::closing) unexpected(frame);
    channel->reportClosed();
    return true;
}

bool FrameRouter::process(ExchangeDeclareOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(ExchangeDeleteOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(ExchangeBindOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(ExchangeUnbindOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(QueueDeclareOKFrame& frame)
{
    return reportSuccess(frame, frame.name(), frame.messageCount(), frame.consumerCount());
}

bool FrameRouter::process(QueueBindOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(QueuePurgeOKFrame& frame)
{
    return reportSuccess(frame, frame.messageCount());
}

bool FrameRouter::process(QueueDeleteOKFrame& frame)
{
    return reportSuccess(frame, frame.messageCount());
}

bool FrameRouter::process(QueueUnbindOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(BasicQosOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(BasicConsumeOKFrame& frame)
{
    return reportSuccess(frame, frame.consumerTag());
}

bool FrameRouter::process(BasicCancelOKFrame& frame)
{
    return reportSuccess(frame, frame.consumerTag());
}

bool FrameRouter::process(BasicReturnFrame& frame)
{
    auto channel = channelOf(frame);
    return handOn(channel ? channel->recalls() : nullptr, frame);
}

bool FrameRouter::process(BasicDeliverFrame& frame)
{
    auto channel = channelOf(frame);
    return handOn(channel ? channel->consumer(frame.consumerTag()) : nullptr, frame);
}

bool FrameRouter::process(BasicGetOKFrame& frame)
{
    auto channel = replyChannel(frame);
    if (!channel ||
        !channel->reportSuccess(frame.messageCount(), frame.deliveryTag(), frame.redelivered()))
        return false;
    // The get installed itself as the receiver of the content that follows.
    auto receiver = channel->receiver();
    if (receiver) receiver->initialize(frame.exchange(), frame.routingKey());
    return true;
}

bool FrameRouter::process(BasicGetEmptyFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(BasicAckFrame& frame)
{
    auto channel = channelOf(frame);
    return handOn(channel ? channel->confirm() : nullptr, frame);
}

bool FrameRouter::process(BasicRecoverOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(BasicNackFrame& frame)
{
    auto channel = channelOf(frame);
    return handOn(channel ? channel->confirm() : nullptr, frame);
}

bool FrameRouter::process(ConfirmSelectOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(TransactionSelectOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(TransactionCommitOKFrame& frame)
{
    return reportSuccess(frame);
}

bool FrameRouter::process(TransactionRollbackOKFrame& frame)
{
    return reportSuccess(frame);
}

} // namespace AMQP::detail
