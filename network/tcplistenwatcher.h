#pragma once

#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "network/tcpwatcher.h"

namespace Kestrava
{
namespace Network
{

/// The state of a listening socket: reports each waiting connection.
class TcpListenWatcher : public TcpWatcher, public Event::IoHandler
{
public:
    explicit TcpListenWatcher(TcpSocket* socket);

    bool detach() override;
    bool attach(Event::Loop* loop) override;

    void onReadable(int fd) override;

private:
    Event::IoWatcher _io;
};

} // namespace Network
} // namespace Kestrava
