#pragma once

#include "network/buffer.h"
#include "network/tcphandler.h"
#include "network/tcpsocket.h"

#include <functional>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Network
{
namespace Test
{

/**
 * A socket handler that records its reports: every report but onData and
 * onWritable by name, in order; the input consumed, and counts of the
 * other two. `action` runs after each report with its name (for instance
 * to delete the socket inside it).
 */
class Recorder : public TcpHandler
{
public:
    std::vector<std::string> reports;
    std::string input;
    int dataReports = 0;
    int writableReports = 0;
    std::function<void(TcpSocket*, const std::string&)> action;

    void onFailure(TcpSocket* socket) override { record(socket, "failure"); }
    void onTimeout(TcpSocket* socket) override { record(socket, "timeout"); }
    void onConnected(TcpSocket* socket) override { record(socket, "connected"); }
    void onClosed(TcpSocket* socket) override { record(socket, "closed"); }
    void onLost(TcpSocket* socket) override { record(socket, "lost"); }
    void onSecured(TcpSocket* socket) override { record(socket, "secured"); }
    void onConnect(TcpSocket* socket) override { record(socket, "connect"); }

    void onData(TcpSocket* socket, Buffer* buffer) override
    {
        std::string chunk(buffer->size(), '\0');
        buffer->copyto(&chunk[0], 0, 0);
        buffer->shrink(chunk.size());
        input += chunk;
        ++dataReports;
        if (action) action(socket, "data");
    }

    void onWritable(TcpSocket* socket) override
    {
        ++writableReports;
        if (action) action(socket, "writable");
    }

    /// Whether `name` was reported.
    bool saw(const std::string& name) const
    {
        for (const std::string& report : reports)
            if (report == name) return true;
        return false;
    }

    /// Whether a report that ends the connection arrived.
    bool ended() const { return saw("failure") || saw("timeout") || saw("closed") || saw("lost"); }

private:
    void record(TcpSocket* socket, const std::string& name)
    {
        reports.push_back(name);
        if (action) action(socket, name);
    }
};

} // namespace Test
} // namespace Network
} // namespace Kestrava
