#include "amqp/frames/exchangeframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

ExchangeDeclareFrame::ExchangeDeclareFrame(uint16_t channel, const std::string& name,
                                           const std::string& type, bool passive, bool durable,
                                           bool autoDelete, bool internal, bool noWait,
                                           const Table& arguments)
    : ExchangeFrame(channel), _name(name), _type(type),
      _bits(passive, durable, autoDelete, internal, noWait), _arguments(arguments)
{
}

ExchangeDeclareFrame::ExchangeDeclareFrame(ReceivedFrame& frame)
    : ExchangeFrame(frame), _reserved(frame), _name(frame), _type(frame), _bits(frame),
      _arguments(frame)
{
}

ExchangeDeleteFrame::ExchangeDeleteFrame(uint16_t channel, const std::string& name, bool ifUnused,
                                         bool noWait)
    : ExchangeFrame(channel), _name(name), _bits(ifUnused, noWait)
{
}

ExchangeDeleteFrame::ExchangeDeleteFrame(ReceivedFrame& frame)
    : ExchangeFrame(frame), _reserved(frame), _name(frame), _bits(frame)
{
}

template <uint16_t MethodID>
ExchangeBindingFrame<MethodID>::ExchangeBindingFrame(uint16_t channel,
                                                     const std::string& destination,
                                                     const std::string& source,
                                                     const std::string& routingKey, bool noWait,
                                                     const Table& arguments)
    : ExchangeFrame(channel), _destination(destination), _source(source), _routingKey(routingKey),
      _bits(noWait), _arguments(arguments)
{
}

template <uint16_t MethodID>
ExchangeBindingFrame<MethodID>::ExchangeBindingFrame(ReceivedFrame& frame)
    : ExchangeFrame(frame), _reserved(frame), _destination(frame), _source(frame),
      _routingKey(frame), _bits(frame), _arguments(frame)
{
}

template class ExchangeBindingFrame<30>;
template class ExchangeBindingFrame<40>;

bool detail::processExchangeMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return ExchangeDeclareFrame(frame).process(processor);
    case 11:
        return ExchangeDeclareOKFrame(frame).process(processor);
    case 20:
        return ExchangeDeleteFrame(frame).process(processor);
    case 21:
        return ExchangeDeleteOKFrame(frame).process(processor);
    case 30:
        return ExchangeBindFrame(frame).process(processor);
    case 31:
        return ExchangeBindOKFrame(frame).process(processor);
    case 40:
        return ExchangeUnbindFrame(frame).process(processor);
    case 51:
        return ExchangeUnbindOKFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized exchange frame method " + std::to_string(methodID));
    }
}

} // namespace AMQP
