#pragma once

#include "amqp/tcp/tcpstate.h"

namespace AMQP
{

/// A state that owns the socket. Exactly one state owns it at a time: a
/// state built from another takes the descriptor and leaves -1 behind.
class TcpExtState : public TcpState
{
public:
    explicit TcpExtState(TcpParent* parent) : TcpState(parent) {}
    explicit TcpExtState(TcpExtState* previous);
    /// Runs cleanup.
    ~TcpExtState() override;

    int fileno() const override { return _socket; }

protected:
    /// Unwatches and closes a socket still owned, then reports onLost.
    void cleanup();

    /// The state that follows a failure: TcpClosed, or null when the
    /// connection is gone.
    TcpState* finalState(const Monitor& monitor);

    /// Shares previous's parent; the socket is taken later (take), once
    /// nothing can fail any more.
    TcpExtState(const TcpState* previous, int socket) : TcpState(previous), _socket(socket) {}
    static int take(TcpExtState* previous);

    /// For a TLS call that must wait for the socket (SSL_get_error's
    /// WANT_READ or WANT_WRITE): asks to watch for it; false for any other
    /// error.
    bool awaitSocket(int sslError);

    int _socket = -1;
};

} // namespace AMQP
