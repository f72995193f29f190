#include "amqp/frames/connectionframes.h"

#include "amqp/detail/methoddispatch.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"

namespace AMQP
{

ConnectionStartFrame::ConnectionStartFrame(ReceivedFrame& frame)
    : Incoming(frame), _versionMajor(frame), _versionMinor(frame), _serverProperties(frame),
      _mechanisms(frame), _locales(frame)
{
}

ConnectionStartOKFrame::ConnectionStartOKFrame(const Table& clientProperties,
                                               const std::string& mechanism,
                                               const std::string& response,
                                               const std::string& locale)
    : _clientProperties(clientProperties), _mechanism(mechanism), _response(response),
      _locale(locale)
{
}

ConnectionStartOKFrame::ConnectionStartOKFrame(ReceivedFrame& frame)
    : ConnectionFrame(frame), _clientProperties(frame), _mechanism(frame), _response(frame),
      _locale(frame)
{
}

ConnectionSecureFrame::ConnectionSecureFrame(ReceivedFrame& frame)
    : ConnectionFrame(frame), _challenge(frame)
{
}

ConnectionSecureOKFrame::ConnectionSecureOKFrame(ReceivedFrame& frame)
    : ConnectionFrame(frame), _response(frame)
{
}

ConnectionTuneFrame::ConnectionTuneFrame(ReceivedFrame& frame)
    : Incoming(frame), _channelMax(frame), _frameMax(frame), _heartbeat(frame)
{
}

ConnectionTuneOKFrame::ConnectionTuneOKFrame(uint16_t channelMax, uint32_t frameMax,
                                             uint16_t heartbeat)
    : _channelMax(channelMax), _frameMax(frameMax), _heartbeat(heartbeat)
{
}

ConnectionTuneOKFrame::ConnectionTuneOKFrame(ReceivedFrame& frame)
    : ConnectionFrame(frame), _channelMax(frame), _frameMax(frame), _heartbeat(frame)
{
}

ConnectionOpenFrame::ConnectionOpenFrame(const std::string& vhost) : _vhost(vhost) {}

ConnectionOpenFrame::ConnectionOpenFrame(ReceivedFrame& frame)
    : ConnectionFrame(frame), _vhost(frame), _reserved1(frame), _reserved2(frame)
{
}

ConnectionOpenOKFrame::ConnectionOpenOKFrame(ReceivedFrame& frame)
    : Incoming(frame), _reserved(frame)
{
}

ConnectionCloseFrame::ConnectionCloseFrame(uint16_t replyCode, const std::string& replyText,
                                           uint16_t failingClass, uint16_t failingMethod)
    : _replyCode(replyCode), _replyText(replyText), _failingClass(failingClass),
      _failingMethod(failingMethod)
{
}

ConnectionCloseFrame::ConnectionCloseFrame(ReceivedFrame& frame)
    : Incoming(frame), _replyCode(frame), _replyText(frame), _failingClass(frame),
      _failingMethod(frame)
{
}

ConnectionCloseOKFrame::ConnectionCloseOKFrame(ReceivedFrame& frame) : Incoming(frame) {}

ConnectionBlockedFrame::ConnectionBlockedFrame(ReceivedFrame& frame)
    : Incoming(frame), _reason(frame)
{
}

ConnectionUnblockedFrame::ConnectionUnblockedFrame(ReceivedFrame& frame) : Incoming(frame) {}

bool detail::processConnectionMethod(ReceivedFrame& frame, FrameProcessor* processor)
{
    uint16_t methodID = frame.nextUint16();
    switch (methodID)
    {
    case 10:
        return ConnectionStartFrame(frame).process(processor);
    case 11:
        return ConnectionStartOKFrame(frame).process(processor);
    case 20:
        return ConnectionSecureFrame(frame).process(processor);
    case 21:
        return ConnectionSecureOKFrame(frame).process(processor);
    case 30:
        return ConnectionTuneFrame(frame).process(processor);
    case 31:
        return ConnectionTuneOKFrame(frame).process(processor);
    case 40:
        return ConnectionOpenFrame(frame).process(processor);
    case 41:
        return ConnectionOpenOKFrame(frame).process(processor);
    case 50:
        return ConnectionCloseFrame(frame).process(processor);
    case 51:
        return ConnectionCloseOKFrame(frame).process(processor);
    case 60:
        return ConnectionBlockedFrame(frame).process(processor);
    case 61:
        return ConnectionUnblockedFrame(frame).process(processor);
    default:
        throw ProtocolException("unrecognized connection frame method " + std::to_string(methodID));
    }
}

} // namespace AMQP
