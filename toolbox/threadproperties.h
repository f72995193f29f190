#pragma once

#include <thread>

namespace Kestrava {
namespace Toolbox {

/// Properties of a running thread that the system can set.
class ThreadProperties
{
public:
    /// The thread must outlive this object; it is not owned.
    explicit ThreadProperties(std::thread& thread) : _thread(&thread) {}

    virtual ~ThreadProperties() = default;

    /**
     * Names the thread (shown in /proc/PID/task/TID/comm). False, with the
     * old name left, when the name is too long for the platform (15 bytes on
     * Linux), the thread is not running (default-constructed, joined or
     * detached) or the platform cannot name threads. Never throws.
     */
    bool setName(const char* name);

private:
    std::thread* _thread;
};

} // namespace Toolbox
} // namespace Kestrava
