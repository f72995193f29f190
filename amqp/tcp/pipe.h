#pragma once

namespace AMQP
{

/// The resolver thread's wake-up channel to the event loop.
class Pipe
{
public:
    /// Throws std::runtime_error with strerror's text when pipe2 fails.
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    /// The read end, which the event loop watches.
    int in() const { return _in; }
    /// Writes one octet; false when it could not.
    bool notify();

private:
    int _in = -1;
    int _out = -1;
};

} // namespace AMQP
