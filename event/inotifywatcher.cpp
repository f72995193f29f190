#include "event/inotifywatcher.h"

#include "event/inotify.h"

#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

namespace Kestrava {
namespace Event {

INotifyWatcher::INotifyWatcher(const std::string& path, uint32_t mask) : _path(path), _mask(mask)
{
    if (access(path.c_str(), R_OK) != 0)
        throw std::runtime_error("Cannot access file/directory for reading: " + path);
}

INotifyWatcher::~INotifyWatcher() { stop(); }

bool INotifyWatcher::start(const std::shared_ptr<INotify>& inotify)
{
    stop();

    // The kernel keeps one watch per file and inotify instance: add our
    // bits to those of the other watchers of the same file.
    _wd = inotify_add_watch(inotify->fd(), _path.c_str(), _mask | IN_MASK_ADD);
    if (_wd < 0) return false;

    // Remember which file the watch is on: the path may later name another.
    struct stat status;
    _file = stat(_path.c_str(), &status) == 0 ? std::make_pair(status.st_dev, status.st_ino)
                                              : std::make_pair(dev_t(0), ino_t(0));

    _inotify = inotify;
    _inotify->add(this);
    return true;
}

void INotifyWatcher::stop()
{
    if (_inotify == nullptr) return;

    // Held until done: dropping it may destroy the INotify.
    auto inotify = std::move(_inotify);
    if (!inotify->remove(this)) return;

    uint32_t rest = inotify->mask(_wd);
    if (rest == 0)
    {
        inotify_rm_watch(inotify->fd(), _wd);
        return;
    }

    // Narrowing goes by path; only do it while the path still names the
    // watched file (after a move it names another file or none). Otherwise
    // the extra events are filtered by mask on dispatch.
    struct stat status;
    if (stat(_path.c_str(), &status) != 0) return;
    if (std::make_pair(status.st_dev, status.st_ino) != _file) return;
    inotify_add_watch(inotify->fd(), _path.c_str(), rest);
}

} // namespace Event
} // namespace Kestrava
