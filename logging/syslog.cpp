#include "logging/syslog.h"

#include <syslog.h>

namespace Kestrava {
namespace Logging {

Syslog::Syslog(Log& log) : Syslog(log, nullptr, LOG_PID | LOG_NDELAY, LOG_USER) {}

Syslog::Syslog(Log& log, const char* ident, int option, int facility) : Listener(log, nullptr)
{
    openlog(ident, option, facility);
    add();
}

Syslog::~Syslog()
{
    remove();
    closelog();
}

void Syslog::write(const priority& level, const std::string& text)
{
    int severity = level == warning ? LOG_WARNING : level == critical ? LOG_CRIT : LOG_INFO;
    syslog(severity, "%s", text.c_str());
}

} // namespace Logging
} // namespace Kestrava
