#pragma once

#include "amqp/libevhandler.h"
#include "amqp/tcpconnection.h"
#include "event/threadloop.h"

#include <cstddef>
#include <optional>

class Addresses;

/**
 * The broker connection of the service: the addresses are tried in order on
 * a private loop, each failure logged as a warning, and the first that
 * reaches the ready state is opened again for the given handler, on that
 * handler's loop.
 */
class Connection
{
public:
    /// Probes the addresses (which must outlive this object) before it
    /// returns; throws std::runtime_error "No RabbitMQ connection
    /// available." when none is reachable.
    Connection(AMQP::TcpHandler* handler, const Addresses& addresses);
    virtual ~Connection() = default;

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    AMQP::TcpConnection* connection() { return &*_connection; }
    /// The address in use.
    const AMQP::Address& address() const;

private:
    /// The probe's handler on the private loop.
    class Handler : public AMQP::LibEvHandler
    {
    public:
        Handler(Connection* connection, struct ev_loop* loop)
            : AMQP::LibEvHandler(loop), _connection(connection)
        {
        }

    private:
        void onReady(AMQP::TcpConnection* connection) override;
        void onError(AMQP::TcpConnection* connection, const char* message) override;
        void onDetached(AMQP::TcpConnection* connection) override;

        Connection* _connection;
    };

    /// The probe of one address: whether it reached the ready state.
    bool probe();

    Kestrava::Event::ThreadLoop _loop;
    Handler _handler;
    const Addresses& _addresses;
    size_t _index = 0;
    bool _ready = false;
    std::optional<AMQP::TcpConnection> _connection;
};
