#pragma once

#include <cstdint>

namespace Kestrava {
namespace Logging {

/// How severe a line is; a higher value is more severe. Listeners write
/// every value other than warning and critical as info.
enum priority : int32_t
{
    info = 0,
    warning = 1,
    critical = 2,
};

} // namespace Logging
} // namespace Kestrava
