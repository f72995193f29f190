#pragma once

#include <sys/stat.h>

#include <string>

namespace Kestrava {
namespace Logging {

/**
 * A log file open for appending.
 *
 * A missing file is created empty with mode 0640 (less the umask) and,
 * when a user is named and exists, given to that user and its primary
 * group: a log may hold credentials, so it is never created readable by
 * all, whether at start or when it is reopened after rotation. An existing
 * file keeps its owner and mode.
 */
class AppendFile
{
public:
    /// Opens or creates the file; valid() tells whether that worked. The
    /// user may be empty.
    AppendFile(const std::string& path, const std::string& user);

    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    ~AppendFile();

    bool valid() const { return _descriptor >= 0; }

    /// Writes all of the text; a failure loses it, as nobody could be told.
    void write(const std::string& text);

    /// The status of the open file, to compare with what the path names now.
    struct stat status() const;

    void swap(AppendFile& other);

private:
    int _descriptor;
};

} // namespace Logging
} // namespace Kestrava
