#include "amqp/deferredrecall.h"

#include "amqp/frames/basicframes.h"
#include "amqp/detail/channelimpl.h"

namespace AMQP
{

void DeferredRecall::process(BasicReturnFrame& frame)
{
    auto self = lock();
    _channel->install(self);
    _replyCode = static_cast<int16_t>(frame.replyCode());
    _replyText = frame.replyText();
    if (_returnCallback) _returnCallback(_replyCode, _replyText);
    initialize(frame.exchange(), frame.routingKey());
}

void DeferredRecall::complete()
{
    uninstall();
    if (_message && _returnedCallback) _returnedCallback(*_message, _replyCode, _replyText);
    if (_completeCallback) _completeCallback();
    _message.reset();
    _replyText.clear();
}

} // namespace AMQP
