#include "amqp/deferredcancel.h"

#include "amqp/detail/channelimpl.h"

namespace AMQP
{

void DeferredCancel::reportSuccess(const std::string& tag)
{
    // The channel is alive: it is the one reporting. The consumer goes
    // first, so that no delivery reaches it from the callbacks on.
    _channel->uninstall(tag);
    reportTo(_cancelCallback, tag);
}

} // namespace AMQP
