#include "dns/message/decompressed.h"

#include <stdexcept>

#include <arpa/nameser.h>

namespace DNS
{

Decompressed::Decompressed(const unsigned char* message, const unsigned char* end,
                           const unsigned char* position)
{
    int result = ns_name_uncompress(message, end, position, _name, sizeof _name);
    if (result < 0) throw std::runtime_error("failed to decompress name");
    _consumed = static_cast<size_t>(result);
    // libresolv writes the root as "."; callers compare names without it.
    if (_name[0] == '.' && _name[1] == '\0') _name[0] = '\0';
}

} // namespace DNS
