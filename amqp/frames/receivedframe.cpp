#include "amqp/frames/receivedframe.h"

#include "amqp/frames/basicheaderframe.h"
#include "amqp/frames/bodyframe.h"
#include "amqp/buffers/buffer.h"
#include "amqp/detail/methoddispatch.h"
#include "amqp/frames/heartbeatframe.h"
#include "amqp/detail/protocolexception.h"

#include <cassert>
#include <string>

namespace AMQP
{

ReceivedFrame::ReceivedFrame(const Buffer& buffer, uint32_t max)
    : InBuffer(buffer), _available(buffer.size())
{
    if (!header()) return;
    _type = nextUint8();
    _channel = nextUint16();
    _payloadSize = nextUint32();
    if (max != 0 && totalSize() > max) throw ProtocolException("frame size exceeded");

    // An incomplete frame is checked once the rest has arrived.
    if (!complete()) return;
    if (static_cast<uint8_t>(buffer.byte(_payloadSize + 7)) != 0xCE)
        throw ProtocolException("invalid end of frame marker");
    limit(_payloadSize + 7);
}

bool ReceivedFrame::process(FrameProcessor* processor)
{
    assert(complete());
    switch (_type)
    {
    case 1:
    {
        uint16_t classID = nextUint16();
        switch (classID)
        {
        case 10:
            return detail::processConnectionMethod(*this, processor);
        case 20:
            return detail::processChannelMethod(*this, processor);
        case 40:
            return detail::processExchangeMethod(*this, processor);
        case 50:
            return detail::processQueueMethod(*this, processor);
        case 60:
            return detail::processBasicMethod(*this, processor);
        case 85:
            return detail::processConfirmMethod(*this, processor);
        case 90:
            return detail::processTransactionMethod(*this, processor);
        default:
            throw ProtocolException("unrecognized method frame class " + std::to_string(classID));
        }
    }
    case 2:
    {
        uint16_t classID = nextUint16();
        if (classID != 60)
            throw ProtocolException("unrecognized header frame class " + std::to_string(classID));
        return BasicHeaderFrame(*this).process(processor);
    }
    case 3:
        return BodyFrame(*this).process(processor);
    // 8 is the heartbeat of 0-9-1; some peers still send the 4 of 0-8.
    case 4:
    case 8:
        return HeartbeatFrame().process(processor);
    default:
        throw ProtocolException("unrecognized frame type " + std::to_string(_type));
    }
}

} // namespace AMQP
