#include "amqp/deferredextreceiver.h"

namespace AMQP
{

void DeferredExtReceiver::complete()
{
    uninstall();
    if (_message && _messageCallback) _messageCallback(*_message, _deliveryTag, _redelivered);
    if (_deliveredCallback) _deliveredCallback(_deliveryTag, _redelivered);
    _message.reset();
}

} // namespace AMQP
