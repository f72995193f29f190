#pragma once

#include "event/monitor.h"
#include "network/buffer.h"
#include "network/tcphandler.h"
#include "network/tcpsocket.h"

namespace Kestrava
{
namespace Network
{
namespace detail
{

/**
 * The part the proxy handshakes share: for the length of the handshake
 * they are the socket's handler, and they give the socket back to its
 * previous handler before anyone hears how it went.
 */
class BorrowedSocket : public TcpHandler
{
public:
    /// Gives the socket back when the handshake is destroyed unfinished;
    /// the socket must outlive a running handshake.
    ~BorrowedSocket() override;

    /// The socket's end during the handshake: the socket is given back, the
    /// result handler hears of the failure (onBroken), then the previous
    /// handler gets the same report.
    void onLost(TcpSocket* socket) override;
    void onClosed(TcpSocket* socket) override;

protected:
    /// Borrows `socket`; throws std::runtime_error "socket should be
    /// connected" for one that is not.
    explicit BorrowedSocket(TcpSocket* socket);

    /// Reports the handshake's failure through the socket's end; may
    /// destroy the handshake.
    virtual void onBroken() = 0;

    /**
     * Gives the socket back, then calls `report`, which may destroy the
     * handshake. With `forward`, input still held in `input` afterwards
     * goes to the previous handler, unless the buffer went meanwhile (TLS
     * started, or the socket was destroyed).
     */
    template <typename Report> void finish(Buffer* input, bool forward, Report report);

    void send(const char* data, size_t size);

private:
    TcpHandler* giveBack();

    TcpSocket* _socket;
    /// The socket's handler before the handshake; null once given back.
    TcpHandler* _previous;
};

template <typename Report> void BorrowedSocket::finish(Buffer* input, bool forward, Report report)
{
    TcpSocket* socket = _socket;
    TcpHandler* previous = giveBack();
    Event::Monitor monitor(input);
    report();
    if (!forward || !monitor.valid() || input->size() == 0) return;
    previous->onData(socket, input);
}

} // namespace detail
} // namespace Network
} // namespace Kestrava
