#include "amqp/frames/basicframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

BasicQosFrame::BasicQosFrame(uint16_t channel, uint16_t prefetchCount, bool global)
    : BasicFrame(channel), _prefetchSize(0), _prefetchCount(prefetchCount), _bits(global)
{
}

BasicQosFrame::BasicQosFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _prefetchSize(frame), _prefetchCount(frame), _bits(frame)
{
}

BasicConsumeFrame::BasicConsumeFrame(uint16_t channel, const std::string& queue,
                                     const std::string& consumerTag, bool noLocal, bool noAck,
                                     bool exclusive, bool noWait, const Table& arguments)
    : BasicFrame(channel), _queue(queue), _consumerTag(consumerTag),
      _bits(noLocal, noAck, exclusive, noWait), _arguments(arguments)
{
}

BasicConsumeFrame::BasicConsumeFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _reserved(frame), _queue(frame), _consumerTag(frame), _bits(frame),
      _arguments(frame)
{
}

BasicConsumeOKFrame::BasicConsumeOKFrame(ReceivedFrame& frame)
    : Incoming(frame), _consumerTag(frame)
{
}

BasicCancelFrame::BasicCancelFrame(uint16_t channel, const std::string& consumerTag, bool noWait)
    : BasicFrame(channel), _consumerTag(consumerTag), _bits(noWait)
{
}

BasicCancelFrame::BasicCancelFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _consumerTag(frame), _bits(frame)
{
}

BasicCancelOKFrame::BasicCancelOKFrame(ReceivedFrame& frame) : Incoming(frame), _consumerTag(frame)
{
}

BasicPublishFrame::BasicPublishFrame(uint16_t channel, const std::string& exchange,
                                     const std::string& routingKey, bool mandatory, bool immediate)
    : BasicFrame(channel), _exchange(exchange), _routingKey(routingKey), _bits(mandatory, immediate)
{
}

BasicPublishFrame::BasicPublishFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _reserved(frame), _exchange(frame), _routingKey(frame), _bits(frame)
{
}

BasicReturnFrame::BasicReturnFrame(ReceivedFrame& frame)
    : Incoming(frame), _replyCode(frame), _replyText(frame), _exchange(frame), _routingKey(frame)
{
}

BasicDeliverFrame::BasicDeliverFrame(ReceivedFrame& frame)
    : Incoming(frame), _consumerTag(frame), _deliveryTag(frame), _bits(frame), _exchange(frame),
      _routingKey(frame)
{
}

BasicGetFrame::BasicGetFrame(uint16_t channel, const std::string& queue, bool noAck)
    : BasicFrame(channel), _queue(queue), _bits(noAck)
{
}

BasicGetFrame::BasicGetFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _reserved(frame), _queue(frame), _bits(frame)
{
}

BasicGetOKFrame::BasicGetOKFrame(ReceivedFrame& frame)
    : Incoming(frame), _deliveryTag(frame), _bits(frame), _exchange(frame), _routingKey(frame),
      _messageCount(frame)
{
}

BasicGetEmptyFrame::BasicGetEmptyFrame(ReceivedFrame& frame) : Incoming(frame), _reserved(frame) {}

BasicAckFrame::BasicAckFrame(uint16_t channel, uint64_t deliveryTag, bool multiple)
    : Incoming(channel), _deliveryTag(deliveryTag), _bits(multiple)
{
}

BasicAckFrame::BasicAckFrame(ReceivedFrame& frame)
    : Incoming(frame), _deliveryTag(frame), _bits(frame)
{
}

BasicRejectFrame::BasicRejectFrame(uint16_t channel, uint64_t deliveryTag, bool requeue)
    : BasicFrame(channel), _deliveryTag(deliveryTag), _bits(requeue)
{
}

BasicRejectFrame::BasicRejectFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _deliveryTag(frame), _bits(frame)
{
}

BasicRecoverAsyncFrame::BasicRecoverAsyncFrame(ReceivedFrame& frame)
    : BasicFrame(frame), _bits(frame)
{
}

BasicRecoverFrame::BasicRecoverFrame(ReceivedFrame& frame) : BasicFrame(frame), _bits(frame) {}

BasicNackFrame::BasicNackFrame(uint16_t channel, uint64_t deliveryTag, bool multiple, bool requeue)
    : Incoming(channel), _deliveryTag(deliveryTag), _bits(multiple, requeue)
{
}

BasicNackFrame::BasicNackFrame(ReceivedFrame& frame)
    : Incoming(frame), _deliveryTag(frame), _bits(frame)
{
}

bool detail::processBasicMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return BasicQosFrame(frame).process(processor);
    case 11:
        return BasicQosOKFrame(frame).process(processor);
    case 20:
        return BasicConsumeFrame(frame).process(processor);
    case 21:
        return BasicConsumeOKFrame(frame).process(processor);
    case 30:
        return BasicCancelFrame(frame).process(processor);
    case 31:
        return BasicCancelOKFrame(frame).process(processor);
    case 40:
        return BasicPublishFrame(frame).process(processor);
    case 50:
        return BasicReturnFrame(frame).process(processor);
    case 60:
        return BasicDeliverFrame(frame).process(processor);
    case 70:
        return BasicGetFrame(frame).process(processor);
    case 71:
        return BasicGetOKFrame(frame).process(processor);
    case 72:
        return BasicGetEmptyFrame(frame).process(processor);
    case 80:
        return BasicAckFrame(frame).process(processor);
    case 90:
        return BasicRejectFrame(frame).process(processor);
    case 100:
        return BasicRecoverAsyncFrame(frame).process(processor);
    case 110:
        return BasicRecoverFrame(frame).process(processor);
    case 111:
        return BasicRecoverOKFrame(frame).process(processor);
    case 120:
        return BasicNackFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized basic frame method " + std::to_string(methodID));
    }
}

} // namespace AMQP
