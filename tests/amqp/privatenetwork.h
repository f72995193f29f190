#pragma once

// Runs a piece of a test in a child process inside a network and mount
// namespace of its own: only a loopback interface exists there, so no name
// lookup or connect can leave the machine, and /etc/hosts is the test's.

#include <fcntl.h>
#include <functional>
#include <linux/if.h>
#include <sched.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace AMQPTest
{

namespace detail
{

inline bool loopbackUp()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::snprintf(request.ifr_name, IFNAMSIZ, "lo");
    bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    return up;
}

inline bool replaceHosts(const std::string& hosts)
{
    char path[] = "/tmp/amqp-hosts-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return false;
    bool written = write(fd, hosts.data(), hosts.size()) == ssize_t(hosts.size());
    close(fd);
    bool mounted = written && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   mount(path, "/etc/hosts", nullptr, MS_BIND, nullptr) == 0;
    unlink(path);
    return mounted;
}

} // namespace detail

/// The failure text of body run in a private network ("" when it passed);
/// "skip" when namespaces cannot be made here.
inline std::string inPrivateNetwork(const std::string& hosts,
                                    const std::function<std::string()>& body)
{
    int channel[2];
    if (pipe(channel) != 0) return "pipe failed";
    pid_t child = fork();
    if (child == 0)
    {
        close(channel[0]);
        std::string result;
        if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
            result = "skip";
        else if (!detail::loopbackUp() || !detail::replaceHosts(hosts))
            result = "could not set up the private network";
        else
            result = body();
        ssize_t written = write(channel[1], result.data(), result.size());
        _exit(written == ssize_t(result.size()) ? 0 : 1);
    }
    close(channel[1]);
    std::string result;
    char buffer[512];
    ssize_t size;
    while ((size = read(channel[0], buffer, sizeof buffer)) > 0)
        result.append(buffer, size_t(size));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "child failed";
    return result;
}

} // namespace AMQPTest
