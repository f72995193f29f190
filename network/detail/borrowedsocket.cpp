#include "network/detail/borrowedsocket.h"

#include <stdexcept>

namespace Kestrava
{
namespace Network
{
namespace detail
{

BorrowedSocket::BorrowedSocket(TcpSocket* socket) : _socket(socket), _previous(socket->handler())
{
    if (!socket->connected()) throw std::runtime_error("socket should be connected");
    socket->setHandler(this);
}

BorrowedSocket::~BorrowedSocket()
{
    giveBack();
}

TcpHandler* BorrowedSocket::giveBack()
{
    TcpHandler* previous = _previous;
    if (previous != nullptr) _socket->setHandler(previous);
    _previous = nullptr;
    return previous;
}

void BorrowedSocket::send(const char* data, size_t size)
{
    _socket->write(data, size, true);
}

void BorrowedSocket::onLost(TcpSocket* socket)
{
    TcpHandler* previous = giveBack();
    onBroken();
    previous->onLost(socket);
}

void BorrowedSocket::onClosed(TcpSocket* socket)
{
    TcpHandler* previous = giveBack();
    onBroken();
    previous->onClosed(socket);
}

} // namespace detail
} // namespace Network
} // namespace Kestrava
