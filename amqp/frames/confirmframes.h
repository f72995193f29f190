#pragma once

// The methods of the confirm class (85): publisher confirms.

#include "amqp/booleanset.h"
#include "amqp/detail/arguments.h"
#include "amqp/detail/emptyreply.h"
#include "amqp/detail/incoming.h"
#include "amqp/frames/methodframe.h"

namespace AMQP
{

class ConfirmFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 85; }

protected:
    using MethodFrame::MethodFrame;
};

/// Turns publisher confirms on (sent).
class ConfirmSelectFrame final : public ConfirmFrame
{
public:
    ConfirmSelectFrame(uint16_t channel, bool noWait) : ConfirmFrame(channel), _bits(noWait) {}
    explicit ConfirmSelectFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 10; }
    bool synchronous() const override { return !noWait(); }

    bool noWait() const { return _bits.get(0); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_bits); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _bits); }

    BooleanSet _bits;
};

class ConfirmSelectOKFrame final : public detail::EmptyReply<ConfirmSelectOKFrame, ConfirmFrame, 11>
{
public:
    explicit ConfirmSelectOKFrame(ReceivedFrame& frame) : EmptyReply(frame) {}
};

} // namespace AMQP
