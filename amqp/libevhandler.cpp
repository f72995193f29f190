#include "amqp/libevhandler.h"

#include "amqp/libev/wrapper.h"

#include <algorithm>

namespace AMQP
{

LibEvHandler::LibEvHandler(struct ev_loop* loop, double startupTimeout)
    : _loop(loop), _startupTimeout(startupTimeout)
{
}

LibEvHandler::~LibEvHandler() = default;

Wrapper* LibEvHandler::find(TcpConnection* connection)
{
    for (const auto& wrapper : _wrappers)
        if (wrapper->connection() == connection) return wrapper.get();
    return nullptr;
}

Wrapper& LibEvHandler::record(TcpConnection* connection)
{
    if (Wrapper* found = find(connection)) return *found;
    _wrappers.push_back(std::make_unique<Wrapper>(_loop, connection, _startupTimeout));
    return *_wrappers.back();
}

void LibEvHandler::forget(TcpConnection* connection)
{
    _wrappers.remove_if([connection](const auto& wrapper)
                        { return wrapper->connection() == connection; });
}

void LibEvHandler::monitor(TcpConnection* connection, int fd, int flags)
{
    // Flags 0 create no record: they may come after the last onDetached,
    // and a record must never outlive its connection.
    if (flags == 0)
    {
        if (Wrapper* found = find(connection)) found->monitor(fd, 0);
        return;
    }
    record(connection).monitor(fd, flags);
}

bool LibEvHandler::defer(TcpConnection* connection)
{
    // Without a record (after onDetached) nothing would flush.
    Wrapper* found = find(connection);
    if (found == nullptr) return false;
    found->defer();
    return true;
}

uint16_t LibEvHandler::onNegotiate(TcpConnection* connection, uint16_t interval)
{
    record(connection).negotiated(interval);
    return interval;
}

void LibEvHandler::onDetached(TcpConnection* connection)
{
    forget(connection);
}

void LibEvHandler::onDestroyed(TcpConnection* connection)
{
    forget(connection);
}

} // namespace AMQP
