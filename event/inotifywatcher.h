#pragma once

#include "event/watchable.h"

#include <sys/inotify.h>
#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace Kestrava {
namespace Event {

class INotify;

/**
 * One inotify watch: a path and a mask of inotify event bits.
 *
 * Several watchers of one file share the kernel's watch; the kernel is
 * always asked for the union of their masks.
 */
class INotifyWatcher : public Watchable
{
public:
    /// Throws std::runtime_error "Cannot access file/directory for
    /// reading: " and the path when the path cannot be read. Not started.
    INotifyWatcher(const std::string& path, uint32_t mask);

    INotifyWatcher(const INotifyWatcher&) = delete;
    INotifyWatcher& operator=(const INotifyWatcher&) = delete;

    ~INotifyWatcher() override;

    /// Puts the watch in place (stopping first when started); false when
    /// the kernel refuses it, for instance for a path that is gone.
    bool start(const std::shared_ptr<INotify>& inotify);

    /// Removes the watch; harmless when stopped.
    void stop();

    bool started() const { return _inotify != nullptr; }

    const std::string& path() const { return _path; }
    uint32_t mask() const { return _mask; }
    int descriptor() const { return _wd; }

    /// Called with every record whose watch and bits concern this watcher.
    virtual void onReceived(const inotify_event* event) = 0;

private:
    std::shared_ptr<INotify> _inotify;

    /// 0 before the first start, negative after a failed one.
    int _wd = 0;

    std::string _path;
    uint32_t _mask;

    /// Device and inode of the watched file, taken when started.
    std::pair<dev_t, ino_t> _file;
};

} // namespace Event
} // namespace Kestrava
