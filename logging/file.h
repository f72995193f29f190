#pragma once

#include "logging/appendfile.h"
#include "logging/listener.h"

#include "event/filehandler.h"
#include "event/filewatcher.h"

#include <string>

namespace Kestrava {
namespace Event {
class Loop;
}

namespace Logging {

/**
 * Appends lines to a log file, each with its priority prefix and time.
 *
 * The file is watched on the log's writer thread: when it is moved away
 * or deleted, or another file now stands under its path (as after
 * logrotate's "create"), later lines go to the file under the path, made
 * anew when missing. While such a reopen fails, lines go on into the file
 * that is open.
 */
class File : public Listener, private Event::FileHandler
{
public:
    /**
     * Opens the file, creating it when missing (see AppendFile; the user
     * may be null), and starts watching it. Throws std::runtime_error
     * "Cannot access file/directory for reading: " and the path, "Path does
     * not point to a valid file!" or "failed to open logfile", and, when the
     * watch cannot be set up, "Could not create inotify file descriptor!" or
     * "Cannot watch log file: " and the path.
     */
    File(Log& log, const char* path, const char* user = nullptr);

    ~File() override;

private:
    void write(const priority& level, const std::string& text) override;

    void onMoved(const std::string& path) override;
    void onMetadataChanged(const std::string& path) override;

    /// Reopens the file under the path; on the writer thread only.
    void swap(const std::string& path);

    /// (Re)starts the watcher on the log's loop; throws when the kernel
    /// refuses the watch.
    void watch(Event::Loop* loop);

    std::string _user;
    AppendFile _file;
    Event::FileWatcher _watcher;
};

} // namespace Logging
} // namespace Kestrava
