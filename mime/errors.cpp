#include "mime/errors.h"

#include <cstring>

namespace Kestrava
{
namespace Mime
{

EmptyLine::EmptyLine(const char* data, size_t available)
    : std::runtime_error("Empty line"), data(data), size(available)
{
    if (available == 0) return;
    const void* lf = std::memchr(data, '\n', available);
    if (lf != nullptr) size = static_cast<const char*>(lf) - data + 1;
}

} // namespace Mime
} // namespace Kestrava
