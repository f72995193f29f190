#pragma once

namespace AMQP
{

class HeartbeatFrame;
class BasicHeaderFrame;
class BodyFrame;
class ConnectionStartFrame;
class ConnectionTuneFrame;
class ConnectionOpenOKFrame;
class ConnectionCloseFrame;
class ConnectionCloseOKFrame;
class ConnectionBlockedFrame;
class ConnectionUnblockedFrame;
class ChannelOpenOKFrame;
class ChannelFlowOKFrame;
class ChannelCloseFrame;
class ChannelCloseOKFrame;
class ExchangeDeclareOKFrame;
class ExchangeDeleteOKFrame;
class ExchangeBindOKFrame;
class ExchangeUnbindOKFrame;
class QueueDeclareOKFrame;
class QueueBindOKFrame;
class QueuePurgeOKFrame;
class QueueDeleteOKFrame;
class QueueUnbindOKFrame;
class BasicQosOKFrame;
class BasicConsumeOKFrame;
class BasicCancelOKFrame;
class BasicReturnFrame;
class BasicDeliverFrame;
class BasicGetOKFrame;
class BasicGetEmptyFrame;
class BasicAckFrame;
class BasicRecoverOKFrame;
class BasicNackFrame;
class ConfirmSelectOKFrame;
class TransactionSelectOKFrame;
class TransactionCommitOKFrame;
class TransactionRollbackOKFrame;

/// The connection engine's side of frame processing (internal). A received
/// frame is decoded by ReceivedFrame::process, which calls the overload for
/// its class here: the engine implements one for every frame a broker
/// sends and acts on it (handshake steps, channel replies, deliveries).
/// Frames that only a client sends never get here: they are rejected with
/// "unimplemented frame type ..." after decoding.
///
/// Ownership and lifetime: each frame is owned by the caller and lives only
/// for the call; so do the octets a BodyFrame points to (the receive
/// buffer). A processor may move values out of the frame.
/// Re-entrancy: an implementation may call out to user code that destroys
/// the connection; the caller of ReceivedFrame::process must guard itself.
/// The result says whether the frame was handled; a frame for a channel that
/// does not exist is not (false).
class FrameProcessor
{
public:
    virtual ~FrameProcessor() = default;

    virtual bool process(HeartbeatFrame& frame) = 0;
    virtual bool process(BasicHeaderFrame& frame) = 0;
    virtual bool process(BodyFrame& frame) = 0;

    virtual bool process(ConnectionStartFrame& frame) = 0;
    virtual bool process(ConnectionTuneFrame& frame) = 0;
    virtual bool process(ConnectionOpenOKFrame& frame) = 0;
    virtual bool process(ConnectionCloseFrame& frame) = 0;
    virtual bool process(ConnectionCloseOKFrame& frame) = 0;
    virtual bool process(ConnectionBlockedFrame& frame) = 0;
    virtual bool process(ConnectionUnblockedFrame& frame) = 0;

    virtual bool process(ChannelOpenOKFrame& frame) = 0;
    virtual bool process(ChannelFlowOKFrame& frame) = 0;
    virtual bool process(ChannelCloseFrame& frame) = 0;
    virtual bool process(ChannelCloseOKFrame& frame) = 0;

    virtual bool process(ExchangeDeclareOKFrame& frame) = 0;
    virtual bool process(ExchangeDeleteOKFrame& frame) = 0;
    virtual bool process(ExchangeBindOKFrame& frame) = 0;
    virtual bool process(ExchangeUnbindOKFrame& frame) = 0;

    virtual bool process(QueueDeclareOKFrame& frame) = 0;
    virtual bool process(QueueBindOKFrame& frame) = 0;
    virtual bool process(QueuePurgeOKFrame& frame) = 0;
    virtual bool process(QueueDeleteOKFrame& frame) = 0;
    virtual bool process(QueueUnbindOKFrame& frame) = 0;

    virtual bool process(BasicQosOKFrame& frame) = 0;
    virtual bool process(BasicConsumeOKFrame& frame) = 0;
    virtual bool process(BasicCancelOKFrame& frame) = 0;
    virtual bool process(BasicReturnFrame& frame) = 0;
    virtual bool process(BasicDeliverFrame& frame) = 0;
    virtual bool process(BasicGetOKFrame& frame) = 0;
    virtual bool process(BasicGetEmptyFrame& frame) = 0;
    virtual bool process(BasicAckFrame& frame) = 0;
    virtual bool process(BasicRecoverOKFrame& frame) = 0;
    virtual bool process(BasicNackFrame& frame) = 0;

    virtual bool process(ConfirmSelectOKFrame& frame) = 0;

    virtual bool process(TransactionSelectOKFrame& frame) = 0;
    virtual bool process(TransactionCommitOKFrame& frame) = 0;
    virtual bool process(TransactionRollbackOKFrame& frame) = 0;
};

} // namespace AMQP
