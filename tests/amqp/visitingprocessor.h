#pragma once

// A frame processor for tests, the fuzzer and the benchmarks: every frame
// goes to one member template of the derived class,
// template <class T> bool visit(T& frame).

#include "amqp/frames/basicframes.h"
#include "amqp/frames/basicheaderframe.h"
#include "amqp/frames/bodyframe.h"
#include "amqp/frames/channelframes.h"
#include "amqp/frames/confirmframes.h"
#include "amqp/frames/connectionframes.h"
#include "amqp/frames/exchangeframes.h"
#include "amqp/frames/frameprocessor.h"
#include "amqp/frames/heartbeatframe.h"
#include "amqp/frames/queueframes.h"
#include "amqp/frames/transactionframes.h"

namespace AMQPTest
{

template <class Derived> class VisitingProcessor : public AMQP::FrameProcessor
{
public:
    bool process(AMQP::HeartbeatFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicHeaderFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BodyFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionStartFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionTuneFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionOpenOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionCloseFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionCloseOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionBlockedFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConnectionUnblockedFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ChannelOpenOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ChannelFlowOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ChannelCloseFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ChannelCloseOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ExchangeDeclareOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ExchangeDeleteOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ExchangeBindOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ExchangeUnbindOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::QueueDeclareOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::QueueBindOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::QueuePurgeOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::QueueDeleteOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::QueueUnbindOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicQosOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicConsumeOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicCancelOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicReturnFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicDeliverFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicGetOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicGetEmptyFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicAckFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicRecoverOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::BasicNackFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::ConfirmSelectOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::TransactionSelectOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::TransactionCommitOKFrame& frame) override { return derived().visit(frame); }
    bool process(AMQP::TransactionRollbackOKFrame& frame) override
    {
        return derived().visit(frame);
    }

private:
    Derived& derived() { return static_cast<Derived&>(*this); }
};

} // namespace AMQPTest
