#pragma once

#include "mime/fields/encodable.h"

#include <ctime>
#include <string>

namespace Kestrava
{
namespace Mime
{

/**
 * The body of a Date field: a point in time in the form of RFC 5322,
 * section 3.3, such as "Mon, 07 Dec 2026 16:47:00 +0000", shown at a given
 * offset from UTC. Day and month names are English whatever the locale.
 */
class DateTime : public HeaderField
{
public:
    /// The current time, in UTC.
    DateTime();

    /// `time` seconds since the epoch, shown `offset` minutes east of UTC.
    /// Throws std::invalid_argument "invalid time zone offset" for an offset
    /// of a day or more, "time out of range" for a year outside 1900-9999.
    explicit DateTime(std::time_t time, int offset = 0);

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

private:
    std::string _text;
};

} // namespace Mime
} // namespace Kestrava
