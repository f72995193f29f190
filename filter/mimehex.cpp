#include "filter/mimehex.h"

#include "filter/detail/hexdigits.h"

namespace Kestrava
{
namespace Filter
{

MimeHex::MimeHex(char byte)
{
    auto value = static_cast<unsigned char>(byte);
    _text[0] = '=';
    _text[1] = detail::upperHexDigits[value >> 4];
    _text[2] = detail::upperHexDigits[value & 15];
}

char MimeHex::byte() const
{
    return static_cast<char>(detail::hexValue(_text[1]) << 4 | detail::hexValue(_text[2]));
}

} // namespace Filter
} // namespace Kestrava
