#pragma once

namespace DNS
{

/// The domain of this host: what follows the first dot of its host name,
/// the search path when resolv.conf names none.
class LocalDomain
{
public:
    /// Throws with the system's reason when the host name cannot be read.
    LocalDomain();
    LocalDomain(const LocalDomain&) = delete;
    LocalDomain& operator=(const LocalDomain&) = delete;

    /// The domain, or "" when the host name has no dot.
    operator const char*() const { return _domain ? _domain + 1 : ""; }

private:
    char _hostname[64];
    const char* _domain;
};

} // namespace DNS
