#include "mime/key.h"

namespace Kestrava
{
namespace Mime
{

bool Key::matches(std::initializer_list<const char*> names) const
{
    for (const char* name : names)
        if (*this == name) return true;
    return false;
}

} // namespace Mime
} // namespace Kestrava
