#pragma once

#include <arpa/nameser.h>

namespace DNS
{

/// Whether two names are the same, letter case, escapes and a trailing dot
/// aside. glibc marks ns_samename deprecated but keeps it, and it is the
/// comparison libresolv's own matching uses.
inline bool samename(const char* a, const char* b)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return ns_samename(a, b) > 0;
#pragma GCC diagnostic pop
}

} // namespace DNS
