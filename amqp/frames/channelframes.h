#pragma once

// The methods of the channel class (20).

#include "amqp/booleanset.h"
#include "amqp/detail/arguments.h"
#include "amqp/detail/incoming.h"
#include "amqp/frames/methodframe.h"
#include "amqp/numericfield.h"
#include "amqp/stringfield.h"

namespace AMQP
{

class ChannelFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 20; }

protected:
    using MethodFrame::MethodFrame;
};

/// Opens a channel (sent).
class ChannelOpenFrame final : public ChannelFrame
{
public:
    explicit ChannelOpenFrame(uint16_t channel) : ChannelFrame(channel) {}
    explicit ChannelOpenFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 10; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reserved); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _reserved); }

    ShortString _reserved;
};

/// The channel is open (received).
class ChannelOpenOKFrame final : public detail::Incoming<ChannelOpenOKFrame, ChannelFrame>
{
public:
    explicit ChannelOpenOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 11; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reserved); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _reserved); }

    LongString _reserved;
};

/// Pauses or resumes deliveries (sent; a broker's flow is not supported).
class ChannelFlowFrame final : public ChannelFrame
{
public:
    ChannelFlowFrame(uint16_t channel, bool active) : ChannelFrame(channel), _bits(active) {}
    explicit ChannelFlowFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 20; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_bits); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _bits); }

    BooleanSet _bits;
};

/// Confirms a flow change (received).
class ChannelFlowOKFrame final : public detail::Incoming<ChannelFlowOKFrame, ChannelFrame>
{
public:
    explicit ChannelFlowOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 21; }

    bool active() const { return _bits.get(0); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_bits); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _bits); }

    BooleanSet _bits;
};

/// Closes a channel, from either side; the client sends code 0 and no text.
class ChannelCloseFrame final : public detail::Incoming<ChannelCloseFrame, ChannelFrame>
{
public:
    ChannelCloseFrame(uint16_t channel, uint16_t replyCode, const std::string& replyText,
                      uint16_t failingClass, uint16_t failingMethod);
    explicit ChannelCloseFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 40; }

    uint16_t replyCode() const { return _replyCode.value(); }
    const std::string& replyText() const { return _replyText.value(); }
    uint16_t failingClass() const { return _failingClass.value(); }
    uint16_t failingMethod() const { return _failingMethod.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_replyCode, _replyText, _failingClass, _failingMethod);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _replyCode, _replyText, _failingClass, _failingMethod);
    }

    UInt16 _replyCode;
    ShortString _replyText;
    UInt16 _failingClass;
    UInt16 _failingMethod;
};

/// Confirms a channel close, from either side.
class ChannelCloseOKFrame final : public detail::Incoming<ChannelCloseOKFrame, ChannelFrame>
{
public:
    explicit ChannelCloseOKFrame(uint16_t channel) : Incoming(channel) {}
    explicit ChannelCloseOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 41; }

private:
    uint32_t argumentsSize() const override { return 0; }
    void fillArguments(OutBuffer&) const override {}
};

} // namespace AMQP
