#pragma once

// The methods of the basic class (60): quality of service, consumers,
// publishing, deliveries, gets, acknowledgements and recovery.

#include "amqp/booleanset.h"
#include "amqp/detail/arguments.h"
#include "amqp/detail/emptyreply.h"
#include "amqp/detail/incoming.h"
#include "amqp/frames/methodframe.h"
#include "amqp/numericfield.h"
#include "amqp/stringfield.h"
#include "amqp/table.h"

namespace AMQP
{

class BasicFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 60; }

protected:
    using MethodFrame::MethodFrame;
};

/// Sets the prefetch count; the prefetch size is always 0 (sent).
class BasicQosFrame final : public BasicFrame
{
public:
    BasicQosFrame(uint16_t channel, uint16_t prefetchCount, bool global);
    explicit BasicQosFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 10; }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_prefetchSize, _prefetchCount, _bits);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _prefetchSize, _prefetchCount, _bits);
    }

    UInt32 _prefetchSize;
    UInt16 _prefetchCount;
    BooleanSet _bits;
};

class BasicQosOKFrame final : public detail::EmptyReply<BasicQosOKFrame, BasicFrame, 11>
{
public:
    explicit BasicQosOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

/// Starts a consumer (sent).
class BasicConsumeFrame final : public BasicFrame
{
public:
    BasicConsumeFrame(uint16_t channel, const std::string& queue, const std::string& consumerTag,
                      bool noLocal, bool noAck, bool exclusive, bool noWait,
                      const Table& arguments);
    explicit BasicConsumeFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 20; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(3); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _queue, _consumerTag, _bits, _arguments);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _queue, _consumerTag, _bits, _arguments);
    }

    UInt16 _reserved;
    ShortString _queue;
    ShortString _consumerTag;
    BooleanSet _bits;
    Table _arguments;
};

/// The tag of the started consumer (received).
class BasicConsumeOKFrame final : public detail::Incoming<BasicConsumeOKFrame, BasicFrame>
{
public:
    explicit BasicConsumeOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 21; }

    const std::string& consumerTag() const { return _consumerTag.value(); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_consumerTag); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _consumerTag); }

    ShortString _consumerTag;
};

/// Stops a consumer (sent; a broker's cancel is not supported).
class BasicCancelFrame final : public BasicFrame
{
public:
    BasicCancelFrame(uint16_t channel, const std::string& consumerTag, bool noWait);
    explicit BasicCancelFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 30; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(0); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_consumerTag, _bits); }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _consumerTag, _bits);
    }

    ShortString _consumerTag;
    BooleanSet _bits;
};

/// The tag of the stopped consumer (received).
class BasicCancelOKFrame final : public detail::Incoming<BasicCancelOKFrame, BasicFrame>
{
public:
    explicit BasicCancelOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 31; }

    const std::string& consumerTag() const { return _consumerTag.value(); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_consumerTag); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _consumerTag); }

    ShortString _consumerTag;
};

/// Publishes a message; its header and body frames follow (sent).
class BasicPublishFrame final : public BasicFrame
{
public:
    BasicPublishFrame(uint16_t channel, const std::string& exchange, const std::string& routingKey,
                      bool mandatory, bool immediate);
    explicit BasicPublishFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 40; }
    bool synchronous() const override { return false; }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _exchange, _routingKey, _bits);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _exchange, _routingKey, _bits);
    }

    UInt16 _reserved;
    ShortString _exchange;
    ShortString _routingKey;
    BooleanSet _bits;
};

/// A published message the broker could not route; its header and body
/// frames follow (received).
class BasicReturnFrame final : public detail::Incoming<BasicReturnFrame, BasicFrame>
{
public:
    explicit BasicReturnFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 50; }
    bool synchronous() const override { return false; }

    uint16_t replyCode() const { return _replyCode.value(); }
    const std::string& replyText() const { return _replyText.value(); }
    const std::string& exchange() const { return _exchange.value(); }
    const std::string& routingKey() const { return _routingKey.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_replyCode, _replyText, _exchange, _routingKey);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _replyCode, _replyText, _exchange, _routingKey);
    }

    UInt16 _replyCode;
    ShortString _replyText;
    ShortString _exchange;
    ShortString _routingKey;
};

/// A message for a consumer; its header and body frames follow (received).
class BasicDeliverFrame final : public detail::Incoming<BasicDeliverFrame, BasicFrame>
{
public:
    explicit BasicDeliverFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 60; }
    bool synchronous() const override { return false; }

    const std::string& consumerTag() const { return _consumerTag.value(); }
    uint64_t deliveryTag() const { return _deliveryTag.value(); }
    bool redelivered() const { return _bits.get(0); }
    const std::string& exchange() const { return _exchange.value(); }
    const std::string& routingKey() const { return _routingKey.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_consumerTag, _deliveryTag, _bits, _exchange, _routingKey);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _consumerTag, _deliveryTag, _bits, _exchange, _routingKey);
    }

    ShortString _consumerTag;
    UInt64 _deliveryTag;
    BooleanSet _bits;
    ShortString _exchange;
    ShortString _routingKey;
};

/// Fetches one message (sent).
class BasicGetFrame final : public BasicFrame
{
public:
    BasicGetFrame(uint16_t channel, const std::string& queue, bool noAck);
    explicit BasicGetFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 70; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reserved, _queue, _bits); }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _queue, _bits);
    }

    UInt16 _reserved;
    ShortString _queue;
    BooleanSet _bits;
};

/// The fetched message; its header and body frames follow (received).
class BasicGetOKFrame final : public detail::Incoming<BasicGetOKFrame, BasicFrame>
{
public:
    explicit BasicGetOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 71; }

    uint64_t deliveryTag() const { return _deliveryTag.value(); }
    bool redelivered() const { return _bits.get(0); }
    const std::string& exchange() const { return _exchange.value(); }
    const std::string& routingKey() const { return _routingKey.value(); }
    uint32_t messageCount() const { return _messageCount.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_deliveryTag, _bits, _exchange, _routingKey, _messageCount);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _deliveryTag, _bits, _exchange, _routingKey, _messageCount);
    }

    UInt64 _deliveryTag;
    BooleanSet _bits;
    ShortString _exchange;
    ShortString _routingKey;
    UInt32 _messageCount;
};

/// The queue had nothing to fetch (received).
class BasicGetEmptyFrame final : public detail::Incoming<BasicGetEmptyFrame, BasicFrame>
{
public:
    explicit BasicGetEmptyFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 72; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reserved); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _reserved); }

    ShortString _reserved;
};

/// Acknowledges a delivery (sent), or confirms a publish (received).
class BasicAckFrame final : public detail::Incoming<BasicAckFrame, BasicFrame>
{
public:
    BasicAckFrame(uint16_t channel, uint64_t deliveryTag, bool multiple);
    explicit BasicAckFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 80; }
    bool synchronous() const override { return false; }

    uint64_t deliveryTag() const { return _deliveryTag.value(); }
    bool multiple() const { return _bits.get(0); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_deliveryTag, _bits); }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _deliveryTag, _bits);
    }

    UInt64 _deliveryTag;
    BooleanSet _bits;
};

/// Rejects one delivery (sent).
class BasicRejectFrame final : public BasicFrame
{
public:
    BasicRejectFrame(uint16_t channel, uint64_t deliveryTag, bool requeue);
    explicit BasicRejectFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 90; }
    bool synchronous() const override { return false; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_deliveryTag, _bits); }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _deliveryTag, _bits);
    }

    UInt64 _deliveryTag;
    BooleanSet _bits;
};

/// Asks for unacknowledged messages again without an answer; superseded by
/// basic.recover and never sent.
class BasicRecoverAsyncFrame final : public BasicFrame
{
public:
    explicit BasicRecoverAsyncFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 100; }
    bool synchronous() const override { return false; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_bits); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _bits); }

    BooleanSet _bits;
};

/// Asks for unacknowledged messages again (sent).
class BasicRecoverFrame final : public BasicFrame
{
public:
    BasicRecoverFrame(uint16_t channel, bool requeue) : BasicFrame(channel), _bits(requeue) {}
    explicit BasicRecoverFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 110; }
    bool synchronous() const override { return false; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_bits); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _bits); }

    BooleanSet _bits;
};

class BasicRecoverOKFrame final : public detail::EmptyReply<BasicRecoverOKFrame, BasicFrame, 111>
{
public:
    explicit BasicRecoverOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

/// Rejects deliveries, several at once with multiple (sent), or refuses a
/// publish (received).
class BasicNackFrame final : public detail::Incoming<BasicNackFrame, BasicFrame>
{
public:
    BasicNackFrame(uint16_t channel, uint64_t deliveryTag, bool multiple, bool requeue);
    explicit BasicNackFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 120; }
    bool synchronous() const override { return false; }

    uint64_t deliveryTag() const { return _deliveryTag.value(); }
    bool multiple() const { return _bits.get(0); }
    bool requeue() const { return _bits.get(1); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_deliveryTag, _bits); }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _deliveryTag, _bits);
    }

    UInt64 _deliveryTag;
    BooleanSet _bits;
};

} // namespace AMQP
