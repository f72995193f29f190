// Header decoding of any bytes, with any charset glibc knows: the same
// output (or the same refusal) for any cut; and UTF-8 text that the header
// encoder writes decodes back, blank runs as one.

#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"

#include "fuzz/filter/cut.h"
#include "tests/filter/support/chain.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

using namespace Kestrava::Filter;

namespace
{

/// The output, or "!" and the error text when decoding throws.
std::string decoded(const std::vector<std::string>& pieces)
{
    try
    {
        auto decode = [](Result* next)
        { return std::make_unique<MimeHeaderDecode>("utf-8", next); };
        return Check::throughPieces(decode, pieces);
    }
    catch (const std::runtime_error& error)
    {
        return std::string("!") + error.what();
    }
}

/// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or
/// code points past U+10FFFF).
bool isUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();)
    {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80                   ? 1
                        : lead >= 0xC2 && lead < 0xE0 ? 2
                        : lead >= 0xE0 && lead < 0xF0 ? 3
                        : lead >= 0xF0 && lead < 0xF5 ? 4
                                                      : 0;
        if (length == 0 || i + length > text.size()) return false;
        unsigned long point = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k)
        {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            point = point << 6 | (next & 0x3F);
        }
        static const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point < 0xE000))
            return false;
        i += length;
    }
    return true;
}

/// The text with every run of white space (NUL included) as one blank and
/// none at the ends.
std::string singleBlanks(const std::string& text)
{
    std::string result;
    bool blank = false;
    for (char c : text)
    {
        if (c == '\0' || std::isspace(static_cast<unsigned char>(c)))
            blank = true;
        else
        {
            if (blank && !result.empty()) result += ' ';
            result += c;
            blank = false;
        }
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CutInput input(data, size);
    if (decoded(Check::cutAt(input.text, input.cut)) != decoded({input.text})) abort();

    if (!isUtf8(input.text)) return 0;
    size_t used = input.cut % 91;
    auto encode = [used](Result* next)
    { return std::make_unique<MimeHeaderEncode>(used, 78, MimeHeaderEncoding::Text, next); };
    std::string encoded = Check::throughPieces(encode, Check::cutAt(input.text, input.cut));
    if (singleBlanks(decoded({encoded})) != singleBlanks(input.text)) abort();
    return 0;
}
