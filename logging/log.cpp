#include "logging/log.h"

#include "logging/detail/failure.h"
#include "logging/detail/instruction.h"
#include "logging/detail/instructions.h"
#include "logging/forward.h"
#include "logging/listener.h"

#include "toolbox/threadproperties.h"

#include <algorithm>

namespace Kestrava {
namespace Logging {

Log::Log(priority level, Preprocessor* preprocessor)
    : _watcher(this), _instructions(new Instructions(&_loop)), _level(level),
      _preprocessor(preprocessor != nullptr ? preprocessor : this)
{
    // Both wake-ups are started before the thread exists, so its ev_run()
    // has work to wait for and other threads find them ready.
    _watcher.start(_loop.loop());
    _thread = std::thread(&Log::run, this);
    Toolbox::ThreadProperties(_thread).setName("log");
}

Log::~Log()
{
    execute(
        [this] {
            process();
            ev_break(_loop.loop(), EVBREAK_ONE);
        },
        true);
    _thread.join();

    // The writer thread is gone: removing the forwards runs right here
    // instead of waiting for a thread that will never answer.
    _forwards.clear();
    _listeners.clear();
    _instructions.reset();
    _watcher.stop();
}

void Log::run() { ev_run(_loop.loop(), 0); }

bool Log::onWriterThread() const
{
    return !_thread.joinable() || std::this_thread::get_id() == _thread.get_id();
}

void Log::add(Listener* listener)
{
    execute(
        [this, listener] {
            process();
            _listeners.push_back(listener);
        },
        true);
}

void Log::remove(Listener* listener)
{
    execute(
        [this, listener] {
            process();
            _listeners.remove(listener);
        },
        true);
}

void Log::flush()
{
    execute([this] { process(); }, true);
}

void Log::forwardto(Log& target, const char* prefix)
{
    execute(
        [this, &target, prefix] {
            process();
            _forwards.emplace_back(*this, target, prefix);
        },
        true);
}

void Log::execute(const std::function<void()>& work, bool wait)
{
    if (onWriterThread())
    {
        work();
        return;
    }

    if (wait)
    {
        auto instruction = std::make_shared<Instruction>(work);
        _instructions->add(instruction);
        instruction->wait();
        return;
    }

    // Nobody waits to hear about a failure, so the thread tells it.
    _instructions->add(std::make_shared<Instruction>([work] {
        try
        {
            work();
        }
        catch (...)
        {
            reportFailure(std::current_exception());
        }
    }));
}

void Log::process()
{
    // A listener that flushes from inside its own write cannot have later
    // lines written before the rest of the current batch (nor before its
    // own line reaches the listeners after it). The processing in hand
    // writes them instead, before anything else runs on this thread, so
    // that every flush that waits for it finds them written.
    if (_processing)
    {
        _requeued = true;
        return;
    }
    _processing = true;
    struct Reset
    {
        bool& _flag;
        ~Reset() { _flag = false; }
    } reset{_processing};

    do
    {
        _requeued = false;
        writeQueue();
    } while (_requeued);
}

void Log::writeQueue()
{
    // One batch only: lines queued meanwhile have sent their own wake-up,
    // and busy producers must not keep waiting instructions out for good.
    std::vector<Message> taken;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        taken.swap(_queue);
    }
    for (const auto& message : taken)
    {
        try
        {
            _preprocessor->preprocess(this, message._priority, message._text);
        }
        catch (...)
        {
            reportFailure(std::current_exception());
        }
    }
}

void Log::onSynchronize() { process(); }

void Log::preprocess(Writer* writer, const priority& level, const std::string& text)
{
    writer->write(level, text);
}

void Log::write(const priority& level, const std::string& text)
{
    // A listener may add or remove listeners while it writes: walk a copy,
    // and skip those that are no longer registered when their turn comes.
    std::vector<Listener*> listeners(_listeners.begin(), _listeners.end());
    for (Listener* listener : listeners)
    {
        if (std::find(_listeners.begin(), _listeners.end(), listener) == _listeners.end()) continue;
        try
        {
            listener->report(level, text);
        }
        catch (...)
        {
            reportFailure(std::current_exception());
        }
    }
}

void Log::onMessage(const priority& level, std::string&& text)
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _queue.push_back(Message{level, std::move(text)});
    }
    _watcher.synchronize();
}

} // namespace Logging
} // namespace Kestrava
