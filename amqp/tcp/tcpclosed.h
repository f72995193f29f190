#pragma once

#include "amqp/tcp/tcpstate.h"

namespace AMQP
{

/// The final state: accepts every call and does nothing.
class TcpClosed : public TcpState
{
public:
    using TcpState::TcpState;
    bool closed() const override { return true; }
};

} // namespace AMQP
