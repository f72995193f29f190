#include "amqp/tcp/sslconnected.h"

#include "amqp/monitor.h"
#include "amqp/tcp/poll.h"
#include "amqp/tcp/sslerrorprinter.h"
#include "amqp/tcp/sslshutdown.h"
#include "amqp/tcp/tcpparent.h"
#include "amqp/tcphandler.h"

#include <openssl/ssl.h>
#include <utility>

namespace AMQP
{

SslConnected::SslConnected(TcpExtState* previous, SslWrapper&& ssl, TcpOutBuffer&& buffered)
    : TcpExtState(previous), _ssl(std::move(ssl)), _out(std::move(buffered)), _in(4096),
      _state(_out ? State::write : State::idle)
{
    _parent->onIdle(this, _socket, _out ? readable | writable : readable);
}

bool SslConnected::repeat(State operation, int error)
{
    // A read that waits for more of the peer's octets (after a session
    // ticket, a key update or half a record) binds nothing: any later read
    // completes it, and writes may go meanwhile instead of waiting for the
    // peer to speak.
    if (operation == State::read && error == SSL_ERROR_WANT_READ) error = SSL_ERROR_NONE;
    if (awaitSocket(error))
    {
        _state = operation;
        return true;
    }
    if (error == SSL_ERROR_NONE)
    {
        _state = State::idle;
        _parent->onIdle(this, _socket, _out ? readable | writable : readable);
        return true;
    }
    _state = State::error;
    _failure = SslErrorPrinter(error).data();
    return false;
}

TcpState* SslConnected::fail(const Monitor& monitor)
{
    _parent->onError(this, _failure.c_str(), true);
    return finalState(monitor);
}

TcpState* SslConnected::repeat(const Monitor& monitor, State operation, int error)
{
    if (!repeat(operation, error)) return fail(monitor);
    if (!monitor.valid()) return nullptr;
    // Shut down only once the queue is drained: a read that wants more of
    // the peer comes here with output still waiting.
    if (_closed && _state == State::idle && !_out) return new SslShutdown(this, std::move(_ssl));
    return this;
}

TcpState* SslConnected::process(const Monitor& monitor, int fd, int flags)
{
    if (fd != _socket) return this;
    switch (_state)
    {
    case State::write:
        return write(monitor);
    case State::read:
        return receive(monitor);
    case State::error:
        return fail(monitor);
    case State::idle:
        break;
    }
    if (flags & readable) return receive(monitor);
    if (_out) return write(monitor);
    return proceed();
}

TcpState* SslConnected::write(const Monitor& monitor)
{
    _state = State::idle;
    while (true)
    {
        int result = _out.sendto(_ssl);
        if (result < 1) return repeat(monitor, State::write, OpenSSL::SSL_get_error(_ssl, result));
        // Reading comes first once the peer has something for us, also
        // when OpenSSL already holds it decrypted: the socket will not tell.
        bool readable = OpenSSL::SSL_pending(_ssl) > 0 || Poll(_socket).readable();
        if (_out && !readable) continue;
        return readable ? receive(monitor) : proceed();
    }
}

TcpState* SslConnected::receive(const Monitor& monitor)
{
    OpenSSL::ERR_clear_error();
    while (true)
    {
        _state = State::idle;
        int result = _in.receivefrom(_ssl, _parent->expected());
        if (result < 1) return repeat(monitor, State::read, OpenSSL::SSL_get_error(_ssl, result));
        TcpInBuffer buffer(std::move(_in));
        uint64_t consumed = _parent->onReceived(this, buffer);
        if (!monitor.valid()) return nullptr;
        buffer.shrink(size_t(consumed));
        _in = std::move(buffer);
        if (_reallocate != 0) _in.reallocate(std::exchange(_reallocate, 0));
        // A send from user code may have left a write to repeat, or failed.
        if (_state != State::idle) return this;
        // Decrypted octets already in OpenSSL: the socket will not tell.
        if (OpenSSL::SSL_pending(_ssl) > 0) continue;
        if (_out && Poll(_socket).writable()) return write(monitor);
        return proceed();
    }
}

TcpState* SslConnected::proceed()
{
    if (_out)
    {
        _parent->onIdle(this, _socket, readable | writable);
        return this;
    }
    if (_closed) return new SslShutdown(this, std::move(_ssl));
    _parent->onIdle(this, _socket, readable);
    return this;
}

void SslConnected::send(const char* buffer, size_t size)
{
    if (_closed) return;
    if (_state != State::idle || _out)
    {
        _out.add(buffer, size);
        return;
    }
    OpenSSL::ERR_clear_error();
    // Without partial writes SSL_write writes all or nothing.
    int result = OpenSSL::SSL_write(_ssl, buffer, int(size));
    if (result >= 1) return;
    _out.add(buffer, size);
    // Reported from the next process, not from inside the engine's write.
    if (!repeat(State::write, OpenSSL::SSL_get_error(_ssl, result)))
        _parent->onIdle(this, _socket, readable | writable);
}

void SslConnected::close()
{
    _closed = true;
    if (_state == State::idle) _parent->onIdle(this, _socket, readable | writable);
}

} // namespace AMQP
