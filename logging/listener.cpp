#include "logging/listener.h"

#include "logging/log.h"

namespace Kestrava {
namespace Logging {

Listener::Listener(Log& log, Preprocessor* preprocessor)
    : _log(&log), _preprocessor(preprocessor != nullptr ? preprocessor : this)
{
}

void Listener::report(const priority& level, const std::string& text)
{
    _preprocessor->preprocess(this, level, text);
}

void Listener::preprocess(Writer* writer, const priority& level, const std::string& text)
{
    writer->write(level, text);
}

void Listener::add() { _log->add(this); }

void Listener::remove() { _log->remove(this); }

void Listener::loop(const std::function<void(Event::Loop*)>& work)
{
    Log* log = _log;
    log->execute([log, &work] { work(log->loop()); }, true);
}

} // namespace Logging
} // namespace Kestrava
