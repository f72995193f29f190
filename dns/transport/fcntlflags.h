#pragma once

namespace DNS
{

/// The file status flags of a descriptor, to change some of them.
class FcntlFlags
{
public:
    /// Throws "failed to retrieve fcntl flags" when they cannot be read.
    explicit FcntlFlags(int fd);

    /// Each false when the flags could not be written.
    bool add(int flags);
    bool remove(int flags);

private:
    int _fd;
    int _flags;
};

} // namespace DNS
