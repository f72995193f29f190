#pragma once

#include <signal.h>

namespace Kestrava
{
namespace Network
{
namespace detail
{

/**
 * Keeps SIGPIPE from this thread for its lifetime: OpenSSL's socket BIO
 * writes with write(), which raises SIGPIPE on a broken connection and
 * would end the process. A SIGPIPE raised meanwhile is taken off the
 * thread's pending set before the old mask returns; the process-wide
 * disposition is never touched.
 */
class SigpipeBlock
{
public:
    SigpipeBlock();
    SigpipeBlock(const SigpipeBlock&) = delete;
    SigpipeBlock& operator=(const SigpipeBlock&) = delete;
    ~SigpipeBlock();

private:
    sigset_t _previous;
};

} // namespace detail
} // namespace Network
} // namespace Kestrava
