#pragma once

#include "logging/listener.h"

namespace Kestrava {
namespace Logging {

/**
 * Passes the lines of one log on to another, with a prefix in front, when
 * they are at least as severe as the target's level. Made and owned by
 * Log::forwardto(); the target writes them on its own writer thread.
 */
class Forward : public Listener
{
public:
    /// The prefix is not copied; null means none.
    Forward(Log& log, Log& target, const char* prefix);
    ~Forward() override;

private:
    void write(const priority& level, const std::string& text) override;

    Log* _target;
    const char* _prefix;
};

} // namespace Logging
} // namespace Kestrava
