#pragma once

#include "logging/preprocessor.h"
#include "logging/priority.h"
#include "logging/writer.h"

#include <functional>
#include <string>

namespace Kestrava {
namespace Event {
class Loop;
}

namespace Logging {

class Log;

/**
 * One destination of a Log.
 *
 * A concrete listener calls add() as the last step of its constructor and
 * remove() as the first step of its destructor, so that the log never sees
 * it half built or half destroyed. write() is only ever called on the log's
 * writer thread; the log must outlive the listener.
 */
class Listener : private Writer, private Preprocessor
{
public:
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    virtual ~Listener() = default;

    /// Passes one line through the listener's preprocessor to write().
    /// Called by the log on its writer thread.
    void report(const priority& level, const std::string& text);

protected:
    /// Without a preprocessor the listener writes lines as they come.
    Listener(Log& log, Preprocessor* preprocessor);

    void add();
    void remove();

    /// Runs work with the log's private loop on its writer thread and
    /// returns when it has run; this is how a listener starts and stops
    /// watchers there. Rethrows what the work threw.
    void loop(const std::function<void(Event::Loop*)>& work);

private:
    void preprocess(Writer* writer, const priority& level, const std::string& text) override;

    Log* _log;
    Preprocessor* _preprocessor;
};

} // namespace Logging
} // namespace Kestrava
