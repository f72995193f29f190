// Header decoding of any bytes, with any charset glibc knows: the same
// output (or the same refusal) for any cut; and any text that the header
// encoder writes decodes back, blank runs as one (what is not UTF-8 goes
// as unknown-8bit).

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

    size_t used = input.cut % 91;
    auto encode = [used](Result* next)
    { return std::make_unique<MimeHeaderEncode>(used, 78, MimeHeaderEncoding::Text, next); };
    std::string encoded = Check::throughPieces(encode, Check::cutAt(input.text, input.cut));
    if (singleBlanks(decoded({encoded})) != singleBlanks(input.text)) abort();
    return 0;
}
