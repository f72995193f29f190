#include "browse/detail/pathcomponent.h"

namespace Kestrava
{
namespace Browse
{
namespace detail
{

std::string pathComponent(const std::string& name)
{
    size_t slash = name.find_last_of("/\\");
    std::string component;
    for (size_t i = slash == std::string::npos ? 0 : slash + 1; i < name.size(); ++i)
    {
        auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0x20 && byte != 0x7F) component += name[i];
    }
    if (component == "." || component == "..") component.clear();
    return component;
}

} // namespace detail
} // namespace Browse
} // namespace Kestrava
