#pragma once

#include "app/filter.h"

#include <cstdint>
#include <string>

class Options;

/**
 * The options that are numbers or a filter, checked once at start-up so
 * that a bad value stops the service with a clear message instead of
 * misbehaving at every delivery; the broker's names are checked too.
 */
class Settings
{
public:
    /// Throws std::runtime_error naming the option and its allowed range for
    /// a qos, connections or mirror expiry not in digits alone, a qos or
    /// connections outside 1 to 65535 or a mirror expiry above ten years
    /// (315360000 seconds, the broker's limit), a queue, exchange or routing
    /// key name above 255 bytes, and the filter parser's message for a bad
    /// filter.
    explicit Settings(const Options& options);
    virtual ~Settings() = default;

    /// The prefetch count of the consumer.
    uint16_t qos;
    /// The limit of simultaneous HTTP connections, in total and per host.
    size_t connections;
    /// "x-expires" of a created mirror queue in milliseconds; 0 for none.
    uint64_t mirrorExpiry;
    /// The blacklist, parsed once.
    Filter filter;
};

/// An option's number as the service reads them: base 10, leading blanks and
/// a sign allowed, stopping at the first other character; no digits give 0.
long long number(const std::string& text);

/// A text as messages show what a source wrote, in double quotes, with every
/// byte outside printable ASCII as \xHH: a byte order mark or a control
/// character in a name is what makes it unknown, and must show; a terminal
/// must not take one for a command.
std::string quoted(const std::string& text);
