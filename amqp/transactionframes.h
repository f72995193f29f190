#pragma once

// The methods of the transaction class (90). None has arguments.

#include "amqp/methodframe.h"

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

class TransactionSelectOKFrame final : public TransactionFrame
{
public:
    explicit TransactionSelectOKFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}

    uint16_t methodID() const override { return 11; }
    bool process(FrameProcessor* processor) override;
};

/// Commits the current transaction (sent).
class TransactionCommitFrame final : public TransactionFrame
{
public:
    explicit TransactionCommitFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}
    explicit TransactionCommitFrame(uint16_t channel) : TransactionFrame(channel) {}

    uint16_t methodID() const override { return 20; }
};

class TransactionCommitOKFrame final : public TransactionFrame
{
public:
    explicit TransactionCommitOKFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}

    uint16_t methodID() const override { return 21; }
    bool process(FrameProcessor* processor) override;
};

/// Abandons the current transaction (sent).
class TransactionRollbackFrame final : public TransactionFrame
{
public:
    explicit TransactionRollbackFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}
    explicit TransactionRollbackFrame(uint16_t channel) : TransactionFrame(channel) {}

    uint16_t methodID() const override { return 30; }
};

class TransactionRollbackOKFrame final : public TransactionFrame
{
public:
    explicit TransactionRollbackOKFrame(ReceivedFrame& frame) : TransactionFrame(frame) {}

    uint16_t methodID() const override { return 31; }
    bool process(FrameProcessor* processor) override;
};

} // namespace AMQP
