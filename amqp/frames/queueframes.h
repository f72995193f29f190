#pragma once

// The methods of the queue class (50).

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

class QueueFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 50; }

protected:
    using MethodFrame::MethodFrame;
};

/// Declares a queue (sent); answered unless no-wait is set.
class QueueDeclareFrame final : public QueueFrame
{
public:
    QueueDeclareFrame(uint16_t channel, const std::string& name, bool passive, bool durable,
                      bool exclusive, bool autoDelete, bool noWait, const Table& arguments);
    explicit QueueDeclareFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 10; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(4); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _name, _bits, _arguments);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _name, _bits, _arguments);
    }

    UInt16 _reserved;
    ShortString _name;
    BooleanSet _bits;
    Table _arguments;
};

/// The declared queue's name (the broker's when none was asked for) and
/// counts (received).
class QueueDeclareOKFrame final : public detail::Incoming<QueueDeclareOKFrame, QueueFrame>
{
public:
    explicit QueueDeclareOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 11; }

    const std::string& name() const { return _name.value(); }
    uint32_t messageCount() const { return _messageCount.value(); }
    uint32_t consumerCount() const { return _consumerCount.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_name, _messageCount, _consumerCount);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _name, _messageCount, _consumerCount);
    }

    ShortString _name;
    UInt32 _messageCount;
    UInt32 _consumerCount;
};

/// Binds a queue to an exchange (sent).
class QueueBindFrame final : public QueueFrame
{
public:
    QueueBindFrame(uint16_t channel, const std::string& queue, const std::string& exchange,
                   const std::string& routingKey, bool noWait, const Table& arguments);
    explicit QueueBindFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 20; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(0); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _queue, _exchange, _routingKey, _bits, _arguments);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _queue, _exchange, _routingKey, _bits, _arguments);
    }

    UInt16 _reserved;
    ShortString _queue;
    ShortString _exchange;
    ShortString _routingKey;
    BooleanSet _bits;
    Table _arguments;
};

class QueueBindOKFrame final : public detail::EmptyReply<QueueBindOKFrame, QueueFrame, 21>
{
public:
    explicit QueueBindOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

/// Removes a queue's messages (sent).
class QueuePurgeFrame final : public QueueFrame
{
public:
    QueuePurgeFrame(uint16_t channel, const std::string& queue, bool noWait);
    explicit QueuePurgeFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 30; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(0); }

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

/// How many messages the purge removed (received).
class QueuePurgeOKFrame final : public detail::Incoming<QueuePurgeOKFrame, QueueFrame>
{
public:
    explicit QueuePurgeOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 31; }

    uint32_t messageCount() const { return _messageCount.value(); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_messageCount); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _messageCount); }

    UInt32 _messageCount;
};

/// Deletes a queue (sent).
class QueueDeleteFrame final : public QueueFrame
{
public:
    QueueDeleteFrame(uint16_t channel, const std::string& queue, bool ifUnused, bool ifEmpty,
                     bool noWait);
    explicit QueueDeleteFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 40; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(2); }

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

/// How many messages the delete removed (received).
class QueueDeleteOKFrame final : public detail::Incoming<QueueDeleteOKFrame, QueueFrame>
{
public:
    explicit QueueDeleteOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 41; }

    uint32_t messageCount() const { return _messageCount.value(); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_messageCount); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _messageCount); }

    UInt32 _messageCount;
};

/// Unbinds a queue (sent); it has no no-wait bit and is always answered.
class QueueUnbindFrame final : public QueueFrame
{
public:
    QueueUnbindFrame(uint16_t channel, const std::string& queue, const std::string& exchange,
                     const std::string& routingKey, const Table& arguments);
    explicit QueueUnbindFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 50; }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _queue, _exchange, _routingKey, _arguments);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _queue, _exchange, _routingKey, _arguments);
    }

    UInt16 _reserved;
    ShortString _queue;
    ShortString _exchange;
    ShortString _routingKey;
    Table _arguments;
};

class QueueUnbindOKFrame final : public detail::EmptyReply<QueueUnbindOKFrame, QueueFrame, 51>
{
public:
    explicit QueueUnbindOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

} // namespace AMQP
