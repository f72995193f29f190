#include "logging/file.h"

#include "logging/detail/failure.h"
#include "logging/detail/line.h"
#include "logging/fileinfo.h"

#include "event/loop.h"

#include <stdexcept>

namespace Kestrava {
namespace Logging {

File::File(Log& log, const char* path, const char* user)
    : Listener(log, nullptr), _user(user != nullptr ? user : ""), _file(path, _user),
      _watcher(this, path, Event::FileWatcher::Moved | Event::FileWatcher::MetadataChanged)
{
    if (!FileInfo(path).regular()) throw std::runtime_error("Path does not point to a valid file!");
    if (!_file.valid()) throw std::runtime_error("failed to open logfile");

    add();
    try
    {
        loop([this](Event::Loop* loop) { watch(loop); });
    }
    catch (...)
    {
        remove();
        throw;
    }
}

File::~File()
{
    remove();
    loop([this](Event::Loop*) { _watcher.stop(); });
}

void File::write(const priority& level, const std::string& text) { _file.write(line(level, text)); }

void File::onMoved(const std::string& path) { swap(path); }

void File::onMetadataChanged(const std::string& path)
{
    // Deleting the file changes its link count; a change of mode or owner
    // of the file that is still there is no reason to reopen. Comparing the
    // files also catches one deleted and made anew before we got here.
    if (!FileInfo(path).names(_file.status())) swap(path);
}

void File::swap(const std::string& path)
{
    // Called from the watcher's callback inside the loop: nothing may leave.
    try
    {
        AppendFile replacement(path, _user);
        if (!replacement.valid()) return;
        _file.swap(replacement);

        // The watch follows the file that is now under the path.
        loop([this](Event::Loop* loop) { watch(loop); });
    }
    catch (...)
    {
        reportFailure(std::current_exception());
    }
}

void File::watch(Event::Loop* loop)
{
    // Unwatched, the file would silently stop following rotation.
    if (!_watcher.start(loop->inotify()))
        throw std::runtime_error("Cannot watch log file: " + _watcher.path());
}

} // namespace Logging
} // namespace Kestrava
