#pragma once

#include "amqp/detail/connectionimpl.h"
#include "amqp/frames/frameprocessor.h"

#include <memory>

namespace AMQP
{
class ExtFrame;
class MethodFrame;
class Monitor;
} // namespace AMQP

namespace AMQP::detail
{

/// Takes each frame the broker sends to the part of the engine it is for:
/// the handshake and the connection's methods to the connection, replies
/// and messages to their channel, content to the receiver of the message
/// being received. Frames for a channel that does not exist are dropped
/// (false). A frame that breaks the order of the conversation (a method of
/// the handshake out of turn, a channel's frame before the connection is
/// ready, a reply that nothing waits for, a method amid a message's
/// content) throws ProtocolException.
///
/// Lives for one Connection::parse; monitor watches the connection, which
/// any callback may destroy.
class FrameRouter : public FrameProcessor
{
public:
    FrameRouter(ConnectionImpl& connection, const Monitor& monitor)
        : _connection(connection), _monitor(monitor)
    {
    }

    bool process(HeartbeatFrame& frame) override;
    bool process(BasicHeaderFrame& frame) override;
    bool process(BodyFrame& frame) override;

    bool process(ConnectionStartFrame& frame) override;
    bool process(ConnectionTuneFrame& frame) override;
    bool process(ConnectionOpenOKFrame& frame) override;
    bool process(ConnectionCloseFrame& frame) override;
    bool process(ConnectionCloseOKFrame& frame) override;
    bool process(ConnectionBlockedFrame& frame) override;
    bool process(ConnectionUnblockedFrame& frame) override;

    bool process(ChannelOpenOKFrame& frame) override;
    bool process(ChannelFlowOKFrame& frame) override;
    bool process(ChannelCloseFrame& frame) override;
    bool process(ChannelCloseOKFrame& frame) override;

    bool process(ExchangeDeclareOKFrame& frame) override;
    bool process(ExchangeDeleteOKFrame& frame) override;
    bool process(ExchangeBindOKFrame& frame) override;
    bool process(ExchangeUnbindOKFrame& frame) override;

    bool process(QueueDeclareOKFrame& frame) override;
    bool process(QueueBindOKFrame& frame) override;
    bool process(QueuePurgeOKFrame& frame) override;
    bool process(QueueDeleteOKFrame& frame) override;
    bool process(QueueUnbindOKFrame& frame) override;

    bool process(BasicQosOKFrame& frame) override;
    bool process(BasicConsumeOKFrame& frame) override;
    bool process(BasicCancelOKFrame& frame) override;
    bool process(BasicReturnFrame& frame) override;
    bool process(BasicDeliverFrame& frame) override;
    bool process(BasicGetOKFrame& frame) override;
    bool process(BasicGetEmptyFrame& frame) override;
    bool process(BasicAckFrame& frame) override;
    bool process(BasicRecoverOKFrame& frame) override;
    bool process(BasicNackFrame& frame) override;

    bool process(ConfirmSelectOKFrame& frame) override;

    bool process(TransactionSelectOKFrame& frame) override;
    bool process(TransactionCommitOKFrame& frame) override;
    bool process(TransactionRollbackOKFrame& frame) override;

private:
    /// A connection method must come on channel 0 in the state given.
    void expectConnection(const MethodFrame& frame, ConnectionImpl::State state) const;
    /// A notice of the broker's (blocked, unblocked) must come on channel 0
    /// once the handshake has begun.
    void expectNotice(const MethodFrame& frame) const;
    /// Whether the connection is ready (or closing): no channel's frame may
    /// come before.
    bool channelsOpen() const;
    /// The channel a frame is for, null when there is none; the connection
    /// must be ready (or closing) for any channel's frame.
    std::shared_ptr<ChannelImpl> channelOf(const ExtFrame& frame) const;
    /// The channel of a method; none may come amid a message's content.
    std::shared_ptr<ChannelImpl> channelOf(const MethodFrame& frame) const;
    /// The channel of a reply, which some result must be waiting for.
    std::shared_ptr<ChannelImpl> replyChannel(const MethodFrame& frame) const;
    /// A reply, with the arguments that the broker's answer carries.
    template <class... Reply> bool reportSuccess(const MethodFrame& frame, const Reply&... reply);

    ConnectionImpl& _connection;
    const Monitor& _monitor;
};

} // namespace AMQP::detail
