#pragma once

#include <memory>
#include <vector>

namespace Kestrava {
namespace Logging {

class Listener;
class Log;
class Options;

/**
 * The listeners that a program's log options ask for, registered with a
 * log in this order: standard output (also whenever it is a terminal),
 * standard error, syslog, then the files. Destroying it unregisters them
 * in the same order, each after the lines queued before have been written.
 */
class Listeners
{
public:
    /// Files that are missing are created with mode 0640 and, when `user`
    /// (may be null) names an existing user, given to that user. Throws
    /// std::runtime_error when a listener cannot be made; those already
    /// made are then removed again.
    Listeners(Log& log, const Options& options, const char* user);

    Listeners(const Listeners&) = delete;
    Listeners& operator=(const Listeners&) = delete;

    virtual ~Listeners();

private:
    std::vector<std::unique_ptr<Listener>> _listeners;
};

} // namespace Logging
} // namespace Kestrava
