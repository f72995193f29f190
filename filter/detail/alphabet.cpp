#include "filter/detail/alphabet.h"

#include <array>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace Kestrava
{
namespace Filter
{
namespace detail
{

namespace
{

std::array<bool, 256> makeAlphabet()
{
    std::array<bool, 256> alphabet{};
    for (const char* c = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"; *c;
         ++c)
        alphabet[static_cast<unsigned char>(*c)] = true;
    return alphabet;
}

const std::array<bool, 256> alphabet = makeAlphabet();

#ifdef __SSE2__
/// The lanes of `bytes` that hold alphabet characters. Bytes from 0x80 are
/// negative as signed bytes and so fall outside every range.
__m128i validLanes(__m128i bytes)
{
    auto within = [](__m128i lanes, char low, char high)
    {
        return _mm_and_si128(_mm_cmpgt_epi8(lanes, _mm_set1_epi8(static_cast<char>(low - 1))),
                             _mm_cmplt_epi8(lanes, _mm_set1_epi8(static_cast<char>(high + 1))));
    };
    // Setting the 0x20 bit folds the capitals onto the small letters; "/"
    // stands right before the digits.
    __m128i letters = within(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 'z');
    __m128i digits = within(bytes, '/', '9');
    __m128i plus = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('+'));
    return _mm_or_si128(_mm_or_si128(letters, digits), plus);
}

__m128i load(const char* data)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
}

bool allValid(__m128i lanes)
{
    return _mm_movemask_epi8(lanes) == 0xFFFF;
}
#endif

} // namespace

bool inBase64Alphabet(char c)
{
    return alphabet[static_cast<unsigned char>(c)];
}

const char* endOfBase64Run(const char* begin, const char* end)
{
#ifdef __SSE2__
    while (end - begin >= 64 &&
           allValid(_mm_and_si128(
               _mm_and_si128(validLanes(load(begin)), validLanes(load(begin + 16))),
               _mm_and_si128(validLanes(load(begin + 32)), validLanes(load(begin + 48))))))
        begin += 64;
    while (end - begin >= 16 && allValid(validLanes(load(begin))))
        begin += 16;
#endif
    while (begin != end && inBase64Alphabet(*begin))
        ++begin;
    return begin;
}

} // namespace detail
} // namespace Filter
} // namespace Kestrava
