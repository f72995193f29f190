#include "logging/appendfile.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace Kestrava {
namespace Logging {

namespace {

/// Gives a file to a user and its primary group; failures are ignored, the
/// file then stays root's own, which is the safe side.
void giveTo(int descriptor, const std::string& user)
{
    if (user.empty()) return;

    // getpwnam() is not safe on the writer thread while others look users up.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size : 16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr)
        return;
    if (fchown(descriptor, found->pw_uid, found->pw_gid) != 0) return;
}

} // namespace

AppendFile::AppendFile(const std::string& path, const std::string& user)
{
    // Created exclusively, so that only a file made here changes its owner.
    int created = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0640);
    if (created >= 0)
    {
        giveTo(created, user);
        close(created);
    }

    // No O_CREAT: should the file vanish again right now, nothing is created
    // with another mode; the next rotation event tries again. O_NONBLOCK
    // keeps a FIFO under the path from blocking until a reader comes.
    _descriptor = open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

AppendFile::~AppendFile()
{
    if (_descriptor >= 0) close(_descriptor);
}

void AppendFile::write(const std::string& text)
{
    const char* data = text.data();
    size_t left = text.size();
    while (left > 0)
    {
        ssize_t written = ::write(_descriptor, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;
        data += written;
        left -= static_cast<size_t>(written);
    }
}

struct stat AppendFile::status() const
{
    struct stat result = {};
    if (fstat(_descriptor, &result) != 0) return {};
    return result;
}

void AppendFile::swap(AppendFile& other) { std::swap(_descriptor, other._descriptor); }

} // namespace Logging
} // namespace Kestrava
