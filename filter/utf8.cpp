#include "filter/utf8.h"

namespace Kestrava
{
namespace Filter
{

bool wellFormedUtf8(const char* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t i = 0;
    while (i < size)
    {
        unsigned char lead = bytes[i];
        size_t length = lead < 0x80   ? 1
                        : lead < 0xC2 ? 0
                        : lead < 0xE0 ? 2
                        : lead < 0xF0 ? 3
                        : lead < 0xF5 ? 4
                                      : 0;
        if (length == 0 || length > size - i) return false;
        for (size_t k = 1; k < length; ++k)
            if ((bytes[i + k] & 0xC0) != 0x80) return false;
        // The second byte rules out overlong forms, surrogates and what
        // passes U+10FFFF.
        unsigned char second = length > 1 ? bytes[i + 1] : 0x80;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}

} // namespace Filter
} // namespace Kestrava
