#pragma once

// The methods of the transaction class (90). None has arguments.

#include "amqp/detail/incoming.h"
#include "amqp/frames/methodframe.h"

namespace AMQP
{

class TransactionFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 90; }

protected:
    using MethodFrame::MethodFrame;

private:
    uint32_t argumentsSize() const final { return 0; }
    void fillArguments(OutBuffer&) const final {}
};

/// Starts transactions on the channel (sent).
class TransactionSelectFrame final : public TransactionFrame
{
public:
    explicit TransactionSelectFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}
    explicit TransactionSelectFrame(uint16_t channel) : TransactionFrame(channel) {}

    uint16_t methodID() const override { return 10; }
};

class TransactionSelectOKFrame final
    : public detail::Incoming<TransactionSelectOKFrame, TransactionFrame>
{
public:
    explicit TransactionSelectOKFrame(ReceivedFrame& frame) : Incoming(frame) {}

    uint16_t methodID() const override { return 11; }
};

/// Commits the current transaction (sent).
class TransactionCommitFrame final : public TransactionFrame
{
public:
    explicit TransactionCommitFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}
    explicit TransactionCommitFrame(uint16_t channel) : TransactionFrame(channel) {}

    uint16_t methodID() const override { return 20; }
};

class TransactionCommitOKFrame final
    : public detail::Incoming<TransactionCommitOKFrame, TransactionFrame>
{
public:
    explicit TransactionCommitOKFrame(ReceivedFrame& frame) : Incoming(frame) {}

    uint16_t methodID() const override { return 21; }
};

/// Abandons the current transaction (sent).
class TransactionRollbackFrame final : public TransactionFrame
{
public:
    explicit TransactionRollbackFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}
    explicit TransactionRollbackFrame(uint16_t channel) : TransactionFrame(channel) {}

    uint16_t methodID() const override { return 30; }
};

class TransactionRollbackOKFrame final
    : public detail::Incoming<TransactionRollbackOKFrame, TransactionFrame>
{
public:
    explicit TransactionRollbackOKFrame(ReceivedFrame& frame) : Incoming(frame) {}

    uint16_t methodID() const override { return 31; }
};

} // namespace AMQP
