#include "amqp/deferredconfirm.h"

#include "amqp/frames/basicframes.h"

namespace AMQP
{

void DeferredConfirm::process(BasicAckFrame& frame)
{
    if (_ackCallback) _ackCallback(frame.deliveryTag(), frame.multiple());
}

void DeferredConfirm::process(BasicNackFrame& frame)
{
    if (_nackCallback) _nackCallback(frame.deliveryTag(), frame.multiple(), frame.requeue());
}

} // namespace AMQP
