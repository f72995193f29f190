#pragma once

#include "logging/priority.h"

#include <ostream>
#include <sstream>
#include <string>

namespace Kestrava {
namespace Logging {

class Log;

/**
 * Builds one log line with stream syntax and hands it to a log.
 *
 *     Proxy(log, warning) << "queue " << name << " is gone" << std::endl;
 *
 * A manipulator such as std::endl hands over what was collected so far as
 * one line; it is not applied, so the text gets no newline. Text collected
 * after the last manipulator is dropped; a proxy that met no manipulator
 * hands its text over when it is destroyed, even when it is empty.
 */
class Proxy
{
public:
    /// Receives finished lines; may be called on any thread.
    class Handler
    {
    public:
        /// Takes over the text.
        virtual void onMessage(const priority& level, std::string&& text) = 0;

    protected:
        ~Handler() = default;
    };

    /// The log must outlive the proxy.
    Proxy(Log& log, priority level);

    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;

    virtual ~Proxy();

    template <typename Value> Proxy& operator<<(const Value& value)
    {
        _stream << value;
        return *this;
    }

    Proxy& operator<<(std::ostream& (*manipulator)(std::ostream&));

private:
    Handler* _handler;
    std::stringstream _stream;
    priority _priority;
    bool _handedOver = false;
};

} // namespace Logging
} // namespace Kestrava
