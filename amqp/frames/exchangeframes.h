#pragma once

// The methods of the exchange class (40).

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

class ExchangeFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 40; }

protected:
    using MethodFrame::MethodFrame;
};

/// Declares an exchange (sent); answered unless no-wait is set.
class ExchangeDeclareFrame final : public ExchangeFrame
{
public:
    ExchangeDeclareFrame(uint16_t channel, const std::string& name, const std::string& type,
                         bool passive, bool durable, bool autoDelete, bool internal, bool noWait,
                         const Table& arguments);
    explicit ExchangeDeclareFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 10; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(4); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _name, _type, _bits, _arguments);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _name, _type, _bits, _arguments);
    }

    UInt16 _reserved;
    ShortString _name;
    ShortString _type;
    BooleanSet _bits;
    Table _arguments;
};

class ExchangeDeclareOKFrame final
    : public detail::EmptyReply<ExchangeDeclareOKFrame, ExchangeFrame, 11>
{
public:
    explicit ExchangeDeclareOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

/// Deletes an exchange (sent).
class ExchangeDeleteFrame final : public ExchangeFrame
{
public:
    ExchangeDeleteFrame(uint16_t channel, const std::string& name, bool ifUnused, bool noWait);
    explicit ExchangeDeleteFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 20; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(1); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reserved, _name, _bits); }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _name, _bits);
    }

    UInt16 _reserved;
    ShortString _name;
    BooleanSet _bits;
};

class ExchangeDeleteOKFrame final
    : public detail::EmptyReply<ExchangeDeleteOKFrame, ExchangeFrame, 21>
{
public:
    explicit ExchangeDeleteOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

/// Binds one exchange to another, or unbinds it: the two share a layout.
template <uint16_t MethodID> class ExchangeBindingFrame final : public ExchangeFrame
{
public:
    ExchangeBindingFrame(uint16_t channel, const std::string& destination,
                         const std::string& source, const std::string& routingKey, bool noWait,
                         const Table& arguments);
    explicit ExchangeBindingFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return MethodID; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(0); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_reserved, _destination, _source, _routingKey, _bits, _arguments);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _reserved, _destination, _source, _routingKey, _bits, _arguments);
    }

    UInt16 _reserved;
    ShortString _destination;
    ShortString _source;
    ShortString _routingKey;
    BooleanSet _bits;
    Table _arguments;
};

// Both instances are compiled once, in exchangeframes.cpp.
extern template class ExchangeBindingFrame<30>;
extern template class ExchangeBindingFrame<40>;
using ExchangeBindFrame = ExchangeBindingFrame<30>;
using ExchangeUnbindFrame = ExchangeBindingFrame<40>;

class ExchangeBindOKFrame final : public detail::EmptyReply<ExchangeBindOKFrame, ExchangeFrame, 31>
{
public:
    explicit ExchangeBindOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

/// The answer to exchange.unbind: method 51, not 41.
class ExchangeUnbindOKFrame final
    : public detail::EmptyReply<ExchangeUnbindOKFrame, ExchangeFrame, 51>
{
public:
    explicit ExchangeUnbindOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

} // namespace AMQP
