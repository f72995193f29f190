#include "amqp/libev/watcher.h"

namespace AMQP
{

namespace
{

void onIo(struct ev_loop*, ev_io* io, int events)
{
    static_cast<LibEvHandler::Watchable*>(io->data)->onActive(io->fd,
                                                              events & (EV_READ | EV_WRITE));
}

} // namespace

Watcher::Watcher(struct ev_loop* loop, LibEvHandler::Watchable* owner, int fd, int flags)
    : _loop(loop)
{
    ev_io_init(&_io, onIo, fd, flags);
    _io.data = owner;
    ev_io_start(_loop, &_io);
}

Watcher::~Watcher()
{
    ev_io_stop(_loop, &_io);
}

void Watcher::set(int flags)
{
    ev_io_stop(_loop, &_io);
    ev_io_set(&_io, _io.fd, flags);
    ev_io_start(_loop, &_io);
}

} // namespace AMQP
