#include "amqp/frames/queueframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

QueueDeclareFrame::QueueDeclareFrame(uint16_t channel, const std::string& name, bool passive,
                                     bool durable, bool exclusive, bool autoDelete, bool noWait,
                                     const Table& arguments)
    : QueueFrame(channel), _name(name), _bits(passive, durable, exclusive, autoDelete, noWait),
      _arguments(arguments)
{
}

QueueDeclareFrame::QueueDeclareFrame(ReceivedFrame& frame)
    : QueueFrame(frame), _reserved(frame), _name(frame), _bits(frame), _arguments(frame)
{
}

QueueDeclareOKFrame::QueueDeclareOKFrame(ReceivedFrame& frame)
    : Incoming(frame), _name(frame), _messageCount(frame), _consumerCount(frame)
{
}

QueueBindFrame::QueueBindFrame(uint16_t channel, const std::string& queue,
                               const std::string& exchange, const std::string& routingKey,
                               bool noWait, const Table& arguments)
    : QueueFrame(channel), _queue(queue), _exchange(exchange), _routingKey(routingKey),
      _bits(noWait), _arguments(arguments)
{
}

QueueBindFrame::QueueBindFrame(ReceivedFrame& frame)
    : QueueFrame(frame), _reserved(frame), _queue(frame), _exchange(frame), _routingKey(frame),
      _bits(frame), _arguments(frame)
{
}

QueuePurgeFrame::QueuePurgeFrame(uint16_t channel, const std::string& queue, bool noWait)
    : QueueFrame(channel), _queue(queue), _bits(noWait)
{
}

QueuePurgeFrame::QueuePurgeFrame(ReceivedFrame& frame)
    : QueueFrame(frame), _reserved(frame), _queue(frame), _bits(frame)
{
}

QueuePurgeOKFrame::QueuePurgeOKFrame(ReceivedFrame& frame) : Incoming(frame), _messageCount(frame)
{
}

QueueDeleteFrame::QueueDeleteFrame(uint16_t channel, const std::string& queue, bool ifUnused,
                                   bool ifEmpty, bool noWait)
    : QueueFrame(channel), _queue(queue), _bits(ifUnused, ifEmpty, noWait)
{
}

QueueDeleteFrame::QueueDeleteFrame(ReceivedFrame& frame)
    : QueueFrame(frame), _reserved(frame), _queue(frame), _bits(frame)
{
}

QueueDeleteOKFrame::QueueDeleteOKFrame(ReceivedFrame& frame) : Incoming(frame), _messageCount(frame)
{
}

QueueUnbindFrame::QueueUnbindFrame(uint16_t channel, const std::string& queue,
                                   const std::string& exchange, const std::string& routingKey,
                                   const Table& arguments)
    : QueueFrame(channel), _queue(queue), _exchange(exchange), _routingKey(routingKey),
      _arguments(arguments)
{
}

QueueUnbindFrame::QueueUnbindFrame(ReceivedFrame& frame)
    : QueueFrame(frame), _reserved(frame), _queue(frame), _exchange(frame), _routingKey(frame),
      _arguments(frame)
{
}

bool detail::processQueueMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return QueueDeclareFrame(frame).process(processor);
    case 11:
        return QueueDeclareOKFrame(frame).process(processor);
    case 20:
        return QueueBindFrame(frame).process(processor);
    case 21:
        return QueueBindOKFrame(frame).process(processor);
    case 30:
        return QueuePurgeFrame(frame).process(processor);
    case 31:
        return QueuePurgeOKFrame(frame).process(processor);
    case 40:
        return QueueDeleteFrame(frame).process(processor);
    case 41:
        return QueueDeleteOKFrame(frame).process(processor);
    case 50:
        return QueueUnbindFrame(frame).process(processor);
    case 51:
        return QueueUnbindOKFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized queue frame method " + std::to_string(methodID));
    }
}

} // namespace AMQP
