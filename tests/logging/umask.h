#pragma once

#include <sys/stat.h>

/// Sets the umask for the life of the object, so that modes are predictable.
class Umask
{
public:
    explicit Umask(mode_t mask) : _old(umask(mask)) {}

    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

    ~Umask() { umask(_old); }

private:
    mode_t _old;
};
