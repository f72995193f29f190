#pragma once

// A scripted broker on a loopback socket, in a child process of its own so
// that a test can freeze it (SIGSTOP) like a hung broker: it runs the
// handshake with the heartbeat interval it is given, then counts the
// client's heartbeat and method frames and, if asked, sends its own every second.

#include "loopback.h"
#include "scriptedbroker.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace AMQPTest
{

class ScriptedPeer
{
public:
    enum class Script
    {
        handshake, ///< the handshake, then frames
        silent,    ///< accepts and never answers
        reply,     ///< answers the protocol header with given octets, then closes
        hold       ///< answers the protocol header with given octets, never closes
    };

    /// With reply and hold, octets is the answer; with handshake, what follows
    /// open-ok (then the peer reads on until the client closes).
    ScriptedPeer(Script script, uint16_t heartbeat, bool sendHeartbeats,
                 const std::string& octets = "", uint32_t frameMax = 131072)
    {
        _listener = listenOnLoopback(_port, 4);
        int report[2];
        if (pipe(report) != 0) return;
        _child = fork();
        if (_child == 0)
        {
            close(report[0]);
            serve(_listener, script, heartbeat, sendHeartbeats, octets, frameMax, report[1]);
            _exit(0);
        }
        close(report[1]);
        _report = report[0];
    }

    ~ScriptedPeer()
    {
        if (_child > 0)
        {
            kill(_child, SIGKILL);
            waitpid(_child, nullptr, 0);
        }
        close(_report);
        close(_listener);
    }

    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    uint16_t port() const { return _port; }
    void freeze() { kill(_child, SIGSTOP); }

    /// Heartbeat frames the peer received so far.
    size_t heartbeats() { return received('h', 0); }
    /// Method frames the peer received after open-ok, waiting up to
    /// milliseconds for the first.
    size_t methods(int milliseconds) { return received('m', milliseconds); }

private:
    /// Frames of kind received so far (see serve).
    size_t received(char kind, int milliseconds)
    {
        char octets[64];
        ssize_t size;
        pollfd descriptor{_report, POLLIN, 0};
        auto wait = [&] { return _received.find(kind) == std::string::npos ? milliseconds : 0; };
        while (poll(&descriptor, 1, wait()) > 0 &&
               (size = read(_report, octets, sizeof octets)) > 0)
            _received.append(octets, size_t(size));
        return size_t(std::count(_received.begin(), _received.end(), kind));
    }

    /// One frame's type, or -1 when the client closed or a second passed.
    static int readFrame(int fd)
    {
        std::string header = readOctets(fd, 7);
        if (header.size() < 7) return -1;
        uint32_t size = uint32_t(uint8_t(header[3])) << 24 | uint32_t(uint8_t(header[4])) << 16 |
                        uint32_t(uint8_t(header[5])) << 8 | uint32_t(uint8_t(header[6]));
        if (readOctets(fd, size + 1).size() < size + 1) return -1;
        return uint8_t(header[0]);
    }

    static std::string readOctets(int fd, size_t count)
    {
        std::string octets(count, '\0');
        size_t done = 0;
        while (done < count)
        {
            pollfd descriptor{fd, POLLIN, 0};
            if (poll(&descriptor, 1, 1000) <= 0) break;
            ssize_t size = read(fd, &octets[done], count - done);
            if (size <= 0) break;
            done += size_t(size);
        }
        octets.resize(done);
        return octets;
    }

    static void send(int fd, const std::string& octets)
    {
        if (write(fd, octets.data(), octets.size()) != ssize_t(octets.size())) _exit(1);
    }

    static void serve(int listener, Script script, uint16_t heartbeat, bool sendHeartbeats,
                      const std::string& octets, uint32_t frameMax, int report)
    {
        int fd = accept(listener, nullptr, nullptr);
        if (script == Script::silent)
        {
            pause();
            return;
        }
        readOctets(fd, 8);
        if (script == Script::hold)
        {
            send(fd, octets);
            pause();
            return;
        }
        if (script == Script::reply)
        {
            send(fd, octets);
            // Our side closes once the client's half-close or its own
            // close has arrived, or at once when it sent nothing more.
            readOctets(fd, 65536);
            close(fd);
            return;
        }
        send(fd, connectionStart());
        readFrame(fd);
        send(fd, connectionTune(2047, frameMax, heartbeat));
        // tune-ok and open.
        for (int frames = 0; frames < 2;)
            if (readFrame(fd) == 1) ++frames;
        send(fd, connectionOpenOK());
        send(fd, octets);
        auto last = std::chrono::steady_clock::now();
        while (true)
        {
            if (sendHeartbeats &&
                std::chrono::steady_clock::now() - last >= std::chrono::seconds(1))
            {
                send(fd, frameOf(8, 0, ""));
                last = std::chrono::steady_clock::now();
            }
            pollfd descriptor{fd, POLLIN, 0};
            if (poll(&descriptor, 1, 100) <= 0) continue;
            int type = readFrame(fd);
            if (type < 0) return;
            if (type == 8) send(report, "h");
            if (type == 1) send(report, "m");
        }
    }

    int _listener = -1;
    uint16_t _port = 0;
    pid_t _child = -1;
    int _report = -1;
    std::string _received;
};

} // namespace AMQPTest
