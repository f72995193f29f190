#include "toolbox/detail/emptystring.h"

namespace Kestrava {
namespace Toolbox {

const std::string& emptyString()
{
    static const std::string empty;
    return empty;
}

} // namespace Toolbox
} // namespace Kestrava
