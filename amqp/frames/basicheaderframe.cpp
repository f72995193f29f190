#include "amqp/frames/basicheaderframe.h"

#include "amqp/envelope.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

BasicHeaderFrame::BasicHeaderFrame(uint16_t channel, const MetaData& metaData, uint64_t bodySize)
    : Incoming(channel), _bodySize(bodySize), _metaData(metaData)
{
}

BasicHeaderFrame::BasicHeaderFrame(uint16_t channel, const Envelope& envelope)
    : BasicHeaderFrame(channel, envelope, envelope.bodySize())
{
}

BasicHeaderFrame::BasicHeaderFrame(ReceivedFrame& frame)
    : Incoming(frame), _weight(frame.nextUint16()), _bodySize(frame.nextUint64()), _metaData(frame)
{
}

void BasicHeaderFrame::fill(OutBuffer& buffer) const
{
    HeaderFrame::fill(buffer);
    buffer.add(_weight);
    buffer.add(_bodySize);
    _metaData.fill(buffer);
}

} // namespace AMQP
