#pragma once

#include <stdexcept>
#include <string>

#include <stdlib.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace Testing
{

/**
 * Covers a file with a socket until the object goes, so that opening it
 * fails even for root (ENXIO). Only inside namespace.sh, whose mounts are
 * the test's own.
 */
class Unreadable
{
public:
    explicit Unreadable(const char* path) : _path(path)
    {
        char folder[] = "/tmp/unreadable.XXXXXX";
        if (mkdtemp(folder) == nullptr) throw std::runtime_error("no temporary folder");
        _folder = folder;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::string socketPath = _folder + "/socket";
        socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
        _socket = socket(AF_UNIX, SOCK_STREAM, 0);
        if (_socket < 0 ||
            bind(_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            mount(socketPath.c_str(), path, nullptr, MS_BIND, nullptr) != 0)
            throw std::runtime_error("cannot cover " + _path);
    }
    Unreadable(const Unreadable&) = delete;
    Unreadable& operator=(const Unreadable&) = delete;
    ~Unreadable()
    {
        umount(_path.c_str());
        close(_socket);
        unlink((_folder + "/socket").c_str());
        rmdir(_folder.c_str());
    }

private:
    std::string _path;
    std::string _folder;
    int _socket = -1;
};

} // namespace Testing
