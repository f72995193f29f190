#include "amqp/tcp/pipe.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace AMQP
{

Pipe::Pipe()
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error(strerror(errno));
    _in = ends[0];
    _out = ends[1];
}

Pipe::~Pipe()
{
    ::close(_in);
    ::close(_out);
}

bool Pipe::notify()
{
    return ::write(_out, "", 1) == 1;
}

} // namespace AMQP
