#include "event/inotify.h"

#include "event/inotifywatcher.h"
#include "event/loop.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace Kestrava {
namespace Event {

namespace {

/// Large enough for many records with names at once.
constexpr size_t bufferSize = 0x11000;

int createDescriptor()
{
    int fd = inotify_init1(IN_CLOEXEC);
    if (fd < 0) throw std::runtime_error("Could not create inotify file descriptor!");
    return fd;
}

} // namespace

INotify::INotify(Loop* loop)
    : _loop(loop), _fd(createDescriptor()), _watcher(this, _fd, EV_READ)
{
    _watcher.start(_loop->loop());

    // The reader alone must not keep ev_run() going; started watchers do.
    ev_unref(_loop->loop());
}

INotify::~INotify()
{
    // No watcher is registered any more: each started one holds this object.
    // The io watcher is stopped before its descriptor is closed.
    stopReading();
    close(_fd);
}

void INotify::stopReading()
{
    if (!_watcher.started()) return;

    // libev wants the reference back before an unreferenced watcher stops.
    ev_ref(_loop->loop());
    _watcher.stop();
}

void INotify::add(INotifyWatcher* watcher)
{
    if (_watchers.insert(watcher).second) ev_ref(_loop->loop());
}

bool INotify::remove(INotifyWatcher* watcher)
{
    if (_watchers.erase(watcher) == 0) return false;
    ev_unref(_loop->loop());
    return true;
}

uint32_t INotify::mask(int wd) const
{
    uint32_t result = 0;
    for (auto watcher : _watchers)
    {
        if (watcher->descriptor() == wd) result |= watcher->mask();
    }
    return result;
}

void INotify::onReadable(int)
{
    alignas(inotify_event) char buffer[bufferSize];
    ssize_t size;
    do size = read(_fd, buffer, sizeof buffer);
    while (size < 0 && errno == EINTR);

    if (size < 0)
    {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;

        // An exception would unwind through libev and end the process (on
        // the log's thread, silently). Report once and stop reading rather
        // than spin on a descriptor that keeps failing.
        int error = errno;
        stopReading();
        std::fprintf(stderr, "Could not read from inotify buffer!: %s\n", std::strerror(error));
        return;
    }

    // A callback may drop the last watcher and with it this object.
    auto self = shared_from_this();
    dispatch(buffer, static_cast<size_t>(size));
}

void INotify::dispatch(const char* buffer, size_t size)
{
    // Callbacks may stop, restart or destroy watchers: walk a copy, and
    // skip those that are no longer registered when their turn comes.
    std::vector<INotifyWatcher*> watchers(_watchers.begin(), _watchers.end());

    size_t offset = 0;
    while (offset + sizeof(inotify_event) <= size)
    {
        auto event = reinterpret_cast<const inotify_event*>(buffer + offset);
        offset += sizeof(inotify_event) + event->len;

        for (auto watcher : watchers)
        {
            if (_watchers.count(watcher) == 0) continue;
            if (watcher->descriptor() != event->wd) continue;
            if ((watcher->mask() & event->mask) == 0) continue;
            watcher->onReceived(event);
        }
    }
}

} // namespace Event
} // namespace Kestrava
