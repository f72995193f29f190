#include "filter/detail/hexdigits.h"

#include <array>

namespace Kestrava
{
namespace Filter
{
namespace detail
{

namespace
{

std::array<unsigned char, 256> makeTable()
{
    std::array<unsigned char, 256> table;
    table.fill(64);
    for (int digit = 0; digit < 10; ++digit)
        table['0' + digit] = static_cast<unsigned char>(digit);
    for (int digit = 0; digit < 6; ++digit)
    {
        table['a' + digit] = static_cast<unsigned char>(10 + digit);
        table['A' + digit] = static_cast<unsigned char>(10 + digit);
    }
    return table;
}

} // namespace

const std::array<unsigned char, 256> hexValues = makeTable();

const char lowerHexDigits[17] = "0123456789abcdef";
const char upperHexDigits[17] = "0123456789ABCDEF";

} // namespace detail
} // namespace Filter
} // namespace Kestrava
