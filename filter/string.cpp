#include "filter/string.h"

namespace Kestrava
{
namespace Filter
{

size_t String::append(const char* data, size_t size, bool)
{
    _target->append(data, size);
    return size;
}

} // namespace Filter
} // namespace Kestrava
