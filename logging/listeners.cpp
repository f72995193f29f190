#include "logging/listeners.h"

#include "logging/file.h"
#include "logging/options.h"
#include "logging/stream.h"
#include "logging/syslog.h"

#include <unistd.h>

#include <iostream>

namespace Kestrava {
namespace Logging {

Listeners::Listeners(Log& log, const Options& options, const char* user)
{
    _listeners.reserve(3 + options.files.size());
    if (options.toStdout || isatty(STDOUT_FILENO))
        _listeners.push_back(std::make_unique<Stream>(log, std::cout));
    if (options.toStderr) _listeners.push_back(std::make_unique<Stream>(log, std::cerr));
    if (options.toSyslog) _listeners.push_back(std::make_unique<Syslog>(log));
    for (const auto& path : options.files)
        _listeners.push_back(std::make_unique<File>(log, path.c_str(), user));
}

Listeners::~Listeners()
{
    // Front to back, so that each still sees the lines queued before it goes.
    for (auto& listener : _listeners) listener.reset();
}

} // namespace Logging
} // namespace Kestrava
