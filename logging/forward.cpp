#include "logging/forward.h"

#include "logging/log.h"
#include "logging/proxy.h"

namespace Kestrava {
namespace Logging {

Forward::Forward(Log& log, Log& target, const char* prefix)
    : Listener(log, nullptr), _target(&target), _prefix(prefix != nullptr ? prefix : "")
{
    add();
}

Forward::~Forward() { remove(); }

void Forward::write(const priority& level, const std::string& text)
{
    if (_target->level() > level) return;
    Proxy(*_target, level) << _prefix << text << std::endl;
}

} // namespace Logging
} // namespace Kestrava
