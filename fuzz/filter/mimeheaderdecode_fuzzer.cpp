// Header decoding of any bytes, with any charset glibc knows: the same
// output (or the same refusal) for any cut; UTF-8 text decodes to UTF-8
// (but for bytes labelled unknown-8bit); and any text that the header
// encoder writes decodes back, blank runs as one (what is not UTF-8 goes
// as unknown-8bit).

#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/utf8.h"

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

/// Whether the text holds the label unknown-8bit, in any case.
bool labelsUnknown8bit(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find("unknown-8bit") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CutInput input(data, size);
    std::string whole = decoded({input.text});
    if (decoded(Check::cutAt(input.text, input.cut)) != whole) abort();
    bool refused = !whole.empty() && whole[0] == '!';
    if (!refused && wellFormedUtf8(input.text.data(), input.text.size()) &&
        !wellFormedUtf8(whole.data(), whole.size()) && !labelsUnknown8bit(input.text))
        abort();

    size_t used = input.cut % 91;
    auto encode = [used](Result* next)
    { return std::make_unique<MimeHeaderEncode>(used, 78, MimeHeaderEncoding::Text, next); };
    std::string encoded = Check::throughPieces(encode, Check::cutAt(input.text, input.cut));
    if (singleBlanks(decoded({encoded})) != singleBlanks(input.text)) abort();
    return 0;
}
