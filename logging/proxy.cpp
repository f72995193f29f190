#include "logging/proxy.h"

#include "logging/log.h"

namespace Kestrava {
namespace Logging {

Proxy::Proxy(Log& log, priority level)
    : _handler(&log), _stream(std::ios::in | std::ios::out), _priority(level)
{
}

Proxy::~Proxy()
{
    if (!_handedOver) _handler->onMessage(_priority, _stream.str());
}

Proxy& Proxy::operator<<(std::ostream& (*)(std::ostream&))
{
    _handler->onMessage(_priority, _stream.str());
    _handedOver = true;
    _stream.str(std::string());
    return *this;
}

} // namespace Logging
} // namespace Kestrava
