#pragma once

// The private broker that tests/amqp/broker.sh runs for the test run, on
// loopback: its port and directory, rabbitmqctl on it, and a plain TCP
// connection to it.

#include <arpa/inet.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace AMQPTest
{

/// The broker's AMQP port, from the file the harness wrote.
inline uint16_t brokerPort()
{
    const char* path = std::getenv("KESTRAVA_BROKER_PORT_FILE");
    if (path == nullptr) return 0;
    std::ifstream file(path);
    unsigned port = 0;
    file >> port;
    return static_cast<uint16_t>(port);
}

/// The private broker's directory (of the port file).
inline std::string brokerDirectory()
{
    const char* path = std::getenv("KESTRAVA_BROKER_PORT_FILE");
    std::string file = path == nullptr ? "" : path;
    return file.substr(0, file.rfind('/'));
}

/// rabbitmqctl on the private broker; its standard output.
inline std::string rabbitmqctl(const std::string& arguments)
{
    std::string command = std::string(AMQP_TEST_SOURCES) + "/broker.sh ctl " + brokerDirectory() +
                          " " + arguments + " 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[4096];
        size_t size;
        while ((size = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, size);
        pclose(pipe);
    }
    return output;
}

/// A TCP connection to the broker on loopback, with a time-out on reads.
class BrokerSocket
{
public:
    explicit BrokerSocket(uint16_t port) : _fd(socket(AF_INET, SOCK_STREAM, 0))
    {
        timeval timeout{10, 0};
        setsockopt(_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        _connected = connect(_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~BrokerSocket() { close(_fd); }

    bool connected() const { return _connected; }
    int fileno() const { return _fd; }

    bool write(const std::string& octets)
    {
        return send(_fd, octets.data(), octets.size(), MSG_NOSIGNAL) == ssize_t(octets.size());
    }

    /// Exactly count octets, or fewer when the broker stops sending.
    std::string read(size_t count)
    {
        std::string octets(count, '\0');
        size_t done = 0;
        while (done < count)
        {
            ssize_t result = recv(_fd, &octets[done], count - done, 0);
            if (result <= 0) break;
            done += size_t(result);
        }
        octets.resize(done);
        return octets;
    }

private:
    int _fd;
    bool _connected = false;
};

} // namespace AMQPTest
