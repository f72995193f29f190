#include "dns/config/localdomain.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <unistd.h>

namespace DNS
{

LocalDomain::LocalDomain()
{
    if (gethostname(_hostname, sizeof _hostname) != 0) throw std::runtime_error(strerror(errno));
    // gethostname need not terminate a name that fills the buffer.
    _hostname[sizeof _hostname - 1] = '\0';
    size_t length = strlen(_hostname);
    if (length > 0 && _hostname[length - 1] == '.') _hostname[length - 1] = '\0';
    _domain = strchr(_hostname, '.');
}

} // namespace DNS
