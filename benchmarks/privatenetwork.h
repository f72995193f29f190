#pragma once

// Benchmarks that serve names on loopback need port 53 and /etc files of
// their own: a private network and mount namespace (run them as root).

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Bench
{

/// Enters a network namespace with only loopback, brought up, and a mount
/// namespace whose mounts no other sees; throws when it cannot.
inline void enterPrivateNetwork()
{
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
        throw std::runtime_error(std::string("unshare: ") + strerror(errno) + " (run as root)");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        throw std::runtime_error("cannot make the mounts private");
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    strcpy(request.ifr_name, "lo");
    bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags |= IFF_UP;
    up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    close(fd);
    if (!up) throw std::runtime_error("cannot bring lo up");
}

} // namespace Bench
