#pragma once

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/// Whether `c` is one of the 64 characters of the base64 alphabet.
bool inBase64Alphabet(char c);

/// The first byte from `begin` on that is not in the base64 alphabet;
/// `end` when there is none. Long runs are checked 16 bytes at a time.
const char* endOfBase64Run(const char* begin, const char* end);

} // namespace detail
} // namespace Filter
} // namespace Kestrava
