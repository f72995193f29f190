#include "network/httpproxyreply.h"

#include <cstdlib>

namespace Kestrava
{
namespace Network
{

namespace
{

/// "HTTP/1.x NNN" and at least the line's end.
constexpr size_t shortestReply = 16;
/// Where the status code starts.
constexpr size_t statusOffset = 9;

} // namespace

bool HttpProxyReply::valid() const
{
    return _text.size() >= shortestReply && _text.compare(0, 7, "HTTP/1.") == 0;
}

long HttpProxyReply::status() const
{
    if (!valid()) return 0;
    return std::strtol(_text.c_str() + statusOffset, nullptr, 10);
}

} // namespace Network
} // namespace Kestrava
