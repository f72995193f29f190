#include "toolbox/timestamp.h"

namespace Kestrava {
namespace Httpd {

Timestamp::Timestamp(time_t when)
{
    struct tm parts;
    if (gmtime_r(&when, &parts) == nullptr) return;
    _size = strftime(_buffer, sizeof(_buffer), "%a, %d %b %Y %H:%M:%S GMT", &parts);

    // strftime() leaves the buffer undefined when the text does not fit.
    if (_size == 0) _buffer[0] = '\0';
}

} // namespace Httpd
} // namespace Kestrava
