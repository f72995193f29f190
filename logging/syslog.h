#pragma once

#include "logging/listener.h"

namespace Kestrava {
namespace Logging {

/**
 * Sends the text of each line, without prefix or time, to syslog at
 * LOG_INFO, LOG_WARNING or LOG_CRIT. The connection is the process's one
 * openlog() connection: the last Syslog made sets it, and destroying any
 * closes it.
 */
class Syslog : public Listener
{
public:
    /// No ident of its own, LOG_PID | LOG_NDELAY, facility LOG_USER.
    explicit Syslog(Log& log);

    /// The ident is not copied by openlog() and must outlive the listener.
    Syslog(Log& log, const char* ident, int option, int facility);

    ~Syslog() override;

private:
    void write(const priority& level, const std::string& text) override;
};

} // namespace Logging
} // namespace Kestrava
