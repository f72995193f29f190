#pragma once

#include "amqp/channel.h"
#include "amqp/tcpconnection.h"

namespace AMQP
{

/// A channel on a TcpConnection.
class TcpChannel : public Channel
{
public:
    explicit TcpChannel(TcpConnection* connection) : Channel(&connection->_connection) {}
};

} // namespace AMQP
