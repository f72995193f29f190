#include "amqp/buffers/passthroughbuffer.h"

#include "amqp/connectionhandler.h"
#include "amqp/frames/frame.h"
#include "amqp/monitor.h"

#include <cstring>

namespace AMQP
{

PassthroughBuffer::PassthroughBuffer(Connection* connection, ConnectionHandler* handler,
                                     const Frame& frame, const Monitor& monitor)
    : _connection(connection), _handler(handler), _monitor(monitor)
{
    frame.fill(*this);
    if (frame.needsSeparator()) append("\xCE", 1);
}

PassthroughBuffer::~PassthroughBuffer()
{
    if (_staged > 0 && _monitor.valid()) deliver();
}

void PassthroughBuffer::append(const char* data, size_t count)
{
    if (!_monitor.valid()) return;
    if (_staged > 0 && _staged + count > capacity) deliver();
    if (!_monitor.valid()) return;
    if (count <= capacity)
    {
        std::memcpy(_staging + _staged, data, count);
        _staged += count;
    }
    else
        _handler->onData(_connection, data, count);
}

void PassthroughBuffer::deliver()
{
    _handler->onData(_connection, _staging, _staged);
    _staged = 0;
}

} // namespace AMQP
