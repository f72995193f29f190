#include "network/detail/sigpipeblock.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace Kestrava
{
namespace Network
{
namespace detail
{

namespace
{

sigset_t sigpipe()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    return set;
}

} // namespace

SigpipeBlock::SigpipeBlock()
{
    sigset_t set = sigpipe();
    pthread_sigmask(SIG_BLOCK, &set, &_previous);
}

SigpipeBlock::~SigpipeBlock()
{
    // Already blocked by the caller: whatever is pending stays theirs.
    if (sigismember(&_previous, SIGPIPE)) return;
    int error = errno; // OpenSSL's caller may still read it
    sigset_t set = sigpipe();
    sigset_t pending;
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE))
    {
        timespec none{0, 0};
        sigtimedwait(&set, nullptr, &none);
    }
    pthread_sigmask(SIG_SETMASK, &_previous, nullptr);
    errno = error;
}

} // namespace detail
} // namespace Network
} // namespace Kestrava
