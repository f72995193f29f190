#include "dns/blocking/blocking.h"

#include <ev.h>

namespace Kestrava
{
namespace Dns
{

void Blocking::onTimeout(const DNS::Operation* operation)
{
    ev_break(_loop, EVBREAK_ONE);
    _over = true;
    _handler->onTimeout(operation);
}

void Blocking::onReceived(const DNS::Operation* operation, const DNS::Response& response)
{
    ev_break(_loop, EVBREAK_ONE);
    _answered = true;
    _over = true;
    _handler->onReceived(operation, response);
}

} // namespace Dns
} // namespace Kestrava
