#pragma once

#include "event/iohandler.h"
#include "event/iowatcher.h"

#include <cstdint>
#include <memory>
#include <set>

namespace Kestrava {
namespace Event {

class Loop;
class INotifyWatcher;

/**
 * The inotify descriptor of one loop and the watchers registered on it.
 *
 * Made by Loop::inotify() and owned by the started watchers through
 * std::shared_ptr. Its reader alone does not keep ev_run() going; every
 * started watcher does.
 */
class INotify : private IoHandler, public std::enable_shared_from_this<INotify>
{
public:
    /// Throws std::runtime_error when the descriptor cannot be made.
    explicit INotify(Loop* loop);

    INotify(const INotify&) = delete;
    INotify& operator=(const INotify&) = delete;

    ~INotify() override;

    int fd() const { return _fd; }

private:
    friend class INotifyWatcher;

    /// Registers a started watcher and keeps the loop running for it.
    void add(INotifyWatcher* watcher);

    /// Unregisters a watcher, if registered, and lets the loop go.
    /// Returns whether it was registered.
    bool remove(INotifyWatcher* watcher);

    /// The union of the masks of the registered watchers of one watch.
    uint32_t mask(int wd) const;

    void onReadable(int fd) override;

    /// Stops the io watcher, undoing the unreference of construction.
    void stopReading();

    /// Hands each record of a read to the watchers it concerns.
    void dispatch(const char* buffer, size_t size);

    Loop* _loop;
    int _fd;
    IoWatcher _watcher;
    std::set<INotifyWatcher*> _watchers;
};

} // namespace Event
} // namespace Kestrava
