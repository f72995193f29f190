#pragma once

#include <string>
#include <vector>

namespace Kestrava {
namespace Logging {

/// Where a program wants its log written; filled by the program.
class Options
{
public:
    virtual ~Options() = default;

    /// A Stream on standard output (made anyway when it is a terminal).
    bool toStdout = false;

    /// A Stream on standard error.
    bool toStderr = false;

    /// A Syslog listener.
    bool toSyslog = false;

    /// One log file per path, in this order.
    std::vector<std::string> files;
};

} // namespace Logging
} // namespace Kestrava
