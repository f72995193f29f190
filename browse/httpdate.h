#pragma once

#include <cstdint>

namespace Kestrava
{
namespace Browse
{

/**
 * Reads the date of an "expires" or "date" field as seconds since the
 * epoch, in the first of these forms that the whole text fits (trailing
 * blanks aside): "1994-11-06 08:49:37" (also with fractional seconds),
 * "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" and
 * "Sun Nov  6 08:49:37 1994". Names are read in the C locale whatever the
 * process's locale, and the time as UTC. A text that fits none is `now`.
 */
int64_t parseHttpDate(const char* text, int64_t now);

} // namespace Browse
} // namespace Kestrava
