#pragma once

#include "logging/message.h"
#include "logging/preprocessor.h"
#include "logging/priority.h"
#include "logging/proxy.h"
#include "logging/writer.h"

#include "event/synchandler.h"
#include "event/syncwatcher.h"
#include "event/threadloop.h"

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Kestrava {
namespace Logging {

class Forward;
class Instructions;
class Listener;

/**
 * An asynchronous log.
 *
 * Any thread hands lines over through a Proxy; they wait in a queue for the
 * log's writer thread (named "log"), which runs a private event loop, takes
 * the whole queue at each wake-up, passes every line through the
 * preprocessor and hands it to each registered listener in registration
 * order. Lines of one producer keep their order.
 *
 * The listeners and the preprocessor are only ever used on the writer
 * thread: add(), remove(), flush() and forwardto() run there through
 * execute() and return when it is done. Those that wait must not be called
 * from a thread that the writer thread itself waits for. An exception from
 * a listener or a preprocessor is told on standard error and the thread
 * goes on.
 */
class Log : private Event::SyncHandler, private Proxy::Handler, private Writer, private Preprocessor
{
public:
    /// Starts the writer thread. Without a preprocessor lines pass as they are.
    Log(priority level, Preprocessor* preprocessor);

    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    /// Writes every line queued before it, ends and joins the writer thread,
    /// then destroys the forwards the log owns. Listeners registered by
    /// others must be gone by then.
    virtual ~Log();

    /// Registers a listener (not owned); lines queued before do not reach it.
    /// A listener added twice gets every line twice.
    void add(Listener* listener);

    /// Unregisters every entry of a listener; lines queued before still reach it.
    void remove(Listener* listener);

    /// Returns when every line queued before has reached the listeners.
    /// From inside a listener, which is itself in the middle of a line, those
    /// lines are written right after the batch in hand, before the writer
    /// thread does anything else.
    void flush();

    /// Passes every line from now on, with the prefix in front, to the
    /// target, when the target's level lets it through. The prefix is not
    /// copied and must outlive this log; null means none.
    void forwardto(Log& target, const char* prefix);

    /**
     * Runs work on the writer thread. With wait, returns when it has run and
     * rethrows what it threw; without, a failure is told on standard error.
     * On the writer thread itself (or once it has ended) the work runs at
     * once.
     */
    void execute(const std::function<void()>& work, bool wait);

    /// The priority the log was made with; forwards to it pass lines at
    /// least this severe.
    priority level() const { return _level; }

private:
    friend class Listener;
    friend class Proxy;

    /// The writer thread's body.
    void run();

    /// Whether work may run on the calling thread without the writer thread.
    bool onWriterThread() const;

    /// Takes the queue and writes it; on the writer thread only.
    void process();

    /// Takes the queue once and writes what it took.
    void writeQueue();

    void onSynchronize() override;
    void preprocess(Writer* writer, const priority& level, const std::string& text) override;
    void write(const priority& level, const std::string& text) override;
    void onMessage(const priority& level, std::string&& text) override;

    /// The private loop, for listeners that watch files on it.
    Event::Loop* loop() { return &_loop; }

    std::thread _thread;
    Event::ThreadLoop _loop;
    Event::SyncWatcher _watcher;
    std::mutex _mutex;
    std::unique_ptr<Instructions> _instructions;
    priority _level;
    std::list<Listener*> _listeners;
    std::list<Forward> _forwards;
    Preprocessor* _preprocessor;
    std::vector<Message> _queue;

    /// Set while lines are written, so that work run from inside a listener
    /// cannot write later lines before earlier ones.
    bool _processing = false;

    /// Set when work run from inside a listener asked for the queue: the
    /// processing in hand takes it once more before it returns.
    bool _requeued = false;
};

} // namespace Logging
} // namespace Kestrava
