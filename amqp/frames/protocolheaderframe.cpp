#include "amqp/frames/protocolheaderframe.h"

#include "amqp/buffers/outbuffer.h"

namespace AMQP
{

void ProtocolHeaderFrame::fill(OutBuffer& buffer) const
{
    buffer.append("AMQP", 4);
    buffer.add(uint8_t(0));
    buffer.add(_major);
    buffer.add(_minor);
    buffer.add(_revision);
}

} // namespace AMQP
