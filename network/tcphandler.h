#pragma once

namespace Kestrava
{
namespace Network
{

class Buffer;
class TcpSocket;

/**
 * Everything that happens to a TcpSocket, reported to one handler.
 *
 * The socket is the caller's and stays valid for the call. Before
 * onFailure, onTimeout, onLost and onClosed the socket has already let go
 * of its descriptor, so the handler may delete the socket (and itself)
 * there; in onData and onWritable it may too, the socket's state object
 * finds out. Every report but onData has an empty default.
 */
class TcpHandler
{
public:
    /// A connect failed; the socket is idle again.
    virtual void onFailure(TcpSocket* socket) { (void)socket; }
    /// A connect was not answered in time; the socket is idle again.
    virtual void onTimeout(TcpSocket* socket) { (void)socket; }
    virtual void onConnected(TcpSocket* socket) { (void)socket; }
    /// The orderly close asked for with close() is done.
    virtual void onClosed(TcpSocket* socket) { (void)socket; }
    /// The connection broke or the peer closed it unasked.
    virtual void onLost(TcpSocket* socket) { (void)socket; }
    /// The TLS handshake is done.
    virtual void onSecured(TcpSocket* socket) { (void)socket; }
    /// Input arrived; the handler consumes what it uses with
    /// `buffer->shrink()`, and the rest stays for the next report.
    virtual void onData(TcpSocket* socket, Buffer* buffer) = 0;
    /// All queued output is written.
    virtual void onWritable(TcpSocket* socket) { (void)socket; }
    /// A listening socket has a connection to accept.
    virtual void onConnect(TcpSocket* socket) { (void)socket; }
    /// The socket was moved from `from` to `to`.
    virtual void onMoved(TcpSocket* from, TcpSocket* to)
    {
        (void)from;
        (void)to;
    }

    virtual ~TcpHandler() = default;
};

} // namespace Network
} // namespace Kestrava
