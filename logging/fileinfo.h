#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace Kestrava {
namespace Logging {

/// What a log path names, as stat() found it when the object was made.
class FileInfo
{
public:
    explicit FileInfo(const std::string& path);

    virtual ~FileInfo() = default;

    /// Whether something is there (stat() succeeded).
    bool exists() const { return _exists; }

    /// Whether it is a regular file.
    bool regular() const { return _exists && S_ISREG(_status.st_mode); }

    /// Whether it is the file of an open descriptor's fstat().
    bool names(const struct stat& open) const
    {
        return _exists && _status.st_dev == open.st_dev && _status.st_ino == open.st_ino;
    }

private:
    struct stat _status;
    bool _exists;
};

} // namespace Logging
} // namespace Kestrava
