#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"

#include "tests/filter/support/chain.h"
#include "tests/filter/support/everycut.h"
#include "tests/filter/support/python.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Kestrava
{
namespace Filter
{
namespace
{

using Check::expectForEveryCut;
using Check::stage;
using Check::throughPieces;
using Check::throughStage;

const auto encode = stage<QuotedPrintableEncode>();
const auto decode = stage<QuotedPrintableDecode>();

/// The text with every line break ("\r\n", "\r" or "\n") as "\r\n".
std::string withCrLf(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r' || text[i] == '\n')
        {
            result += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
        else
            result += text[i];
    }
    return result;
}

/// Every line of the text, without its "\r\n".
std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();)
    {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(QuotedPrintableTest, EscapesWhatIsNotPrintable)
{
    EXPECT_EQ(throughStage(encode, "a=b\r\n"), "a=3Db\r\n");
    EXPECT_EQ(throughStage(encode, "caf\xC3\xA9"), "caf=C3=A9");
    EXPECT_EQ(throughStage(encode, std::string("\0\x7F~", 3)), "=00=7F~");
}

TEST(QuotedPrintableTest, BreaksLongLinesSoftly)
{
    EXPECT_EQ(throughStage(encode, std::string(100, 'x')),
              std::string(75, 'x') + "=\r\n" + std::string(25, 'x'));
    // An escape that does not fit goes on the next line.
    std::string escapes = std::string(73, 'x') + "\xFF\xFF";
    EXPECT_EQ(throughStage(encode, escapes), std::string(73, 'x') + "=\r\n=FF=FF");
    // A soft break never puts a delimiter's "--" at the start of a line.
    EXPECT_EQ(throughStage(encode, std::string(75, 'x') + "--b\n--b"),
              std::string(75, 'x') + "=\r\n=2D-b\r\n--b");
}

TEST(QuotedPrintableTest, WhiteSpaceNeverEndsAnEncodedLine)
{
    EXPECT_EQ(throughStage(encode, "ab \n"), "ab =\r\n\r\n");
    EXPECT_EQ(throughStage(encode, "ab\t"), "ab\t=\r\n");
    EXPECT_EQ(throughStage(encode, "ab\t", false), "ab\t") << "only flush() protects it";
}

TEST(QuotedPrintableTest, EveryLineBreakBecomesCrLf)
{
    expectForEveryCut(encode, "a\rb\r\nc\nd\r", "a\r\nb\r\nc\r\nd\r\n");
}

TEST(QuotedPrintableTest, RandomTextRoundTripsThroughPythonWithShortLines)
{
    std::mt19937 random(8);
    const std::string alphabet = "abc \t\r\n=\x80\xFF.";
    std::vector<std::string> inputs;
    std::vector<std::string> encoded;
    for (int i = 0; i < 100; ++i)
    {
        inputs.push_back(Check::randomBytes(random, size_t(i * 13), alphabet));
        encoded.push_back(throughPieces(encode, Check::cutRandomly(inputs.back(), random, 30)));
        for (const std::string& line : linesOf(encoded.back()))
            EXPECT_LE(line.size(), 76u) << line;
    }
    std::vector<std::string> decoded = Check::python(
        "import quopri\ndef apply(data): return quopri.decodestring(data)\n", encoded);
    for (size_t i = 0; i < inputs.size(); ++i)
    {
        EXPECT_EQ(decoded[i], withCrLf(inputs[i])) << encoded[i];
        EXPECT_EQ(throughPieces(decode, Check::cutRandomly(encoded[i], random, 7)),
                  withCrLf(inputs[i]));
    }
}

TEST(QuotedPrintableTest, DecodesEscapesAndSoftBreaksCutAnywhere)
{
    // A lone CR ends a line too: the writer makes it a CR LF.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a=3Db=\r\nc", "a=bc"}, {"a=\rb=\r", "ab"},     {"=3d", "="},
        {"a=\nb", "ab"},         {"=C3=A9", "\xC3\xA9"}, {"x\r\ny", "x\r\ny"}};
    for (const auto& [input, expected] : cases)
        expectForEveryCut(decode, input, expected);
}

TEST(QuotedPrintableTest, BlanksAfterASoftBreakAreTransportPadding)
{
    // RFC 2045 6.7 deletes the white space that ends an encoded line, which
    // a relay may have padded: "=" before blanks and a line break is a soft
    // break, as quopri's own decoder reads it (binascii's, which Python's
    // email uses, keeps it). At a lone CR, or where the text ends, too.
    const std::vector<std::pair<std::string, std::string>> rfc = {
        {"a= \t\r\nb", "ab"}, {"a=  \nb=\t\nc", "abc"}, {"x=20= \r\ny= \r\n", "x y"}};
    std::vector<std::string> inputs;
    for (const auto& [input, expected] : rfc)
    {
        expectForEveryCut(decode, input, expected);
        inputs.push_back(input);
    }
    std::vector<std::string> quopri = Check::python(
        "import quopri\nquopri.a2b_qp = None\n"
        "def apply(data): return quopri.decodestring(data).replace(b'\\n', b'\\r\\n')\n",
        inputs);
    for (size_t i = 0; i < rfc.size(); ++i)
        EXPECT_EQ(quopri[i], rfc[i].second) << rfc[i].first;
    for (const auto& [input, expected] : std::vector<std::pair<std::string, std::string>>{
             {"a=\t \rb", "ab"}, {"ab= ", "ab"}, {"ab=\t\t", "ab"}, {"a= \r\r\nb", "a\r\nb"}})
        expectForEveryCut(decode, input, expected);
}

TEST(QuotedPrintableTest, EqualsSignWithoutEscapeOrSoftBreakStaysAsItStands)
{
    // As Python reads it: text after "=" and blanks makes no soft break, and
    // an escape cut off by the end of the text stays; a lone "=" there is one.
    const std::vector<std::pair<std::string, std::string>> cases = {{"=G1", "=G1"},
                                                                    {"=1G", "=1G"},
                                                                    {"x = 5", "x = 5"},
                                                                    {"a= =41", "a= A"},
                                                                    {"==41", "=A"},
                                                                    {"= \tx", "= \tx"},
                                                                    {"a= \tb\r\n", "a= \tb\r\n"},
                                                                    {"ab=4", "ab=4"},
                                                                    {"a=4\r\nb", "a=4\r\nb"},
                                                                    {"ab=", "ab"},
                                                                    {"ab=\r", "ab"},
                                                                    {"ab=f", "ab=f"}};
    for (const auto& [input, expected] : cases)
        expectForEveryCut(decode, input, expected);
    std::vector<std::string> inputs;
    for (const auto& [input, expected] : cases)
        inputs.push_back(input);
    std::vector<std::string> python =
        Check::python("import quopri\ndef apply(data): return quopri.decodestring(data)\n", inputs);
    // Python alone takes "==" for "=".
    for (size_t i = 0; i < cases.size(); ++i)
        if (cases[i].first.find("==") == std::string::npos)
            EXPECT_EQ(python[i], cases[i].second) << cases[i].first;
    // The stage's end writes what it held when nobody flushed it.
    EXPECT_EQ(throughStage(decode, "ab=4", false), "ab=4");
}

TEST(QuotedPrintableTest, DecodesWhatPythonEncodes)
{
    std::mt19937 random(9);
    std::vector<std::string> inputs;
    for (int i = 0; i < 200; ++i)
    {
        // Python writes a "\r\n" of the input as "\n" after a first "\n".
        std::string bytes = Check::randomBytes(random, size_t(i * 5));
        std::replace(bytes.begin(), bytes.end(), '\r', '\n');
        inputs.push_back(bytes);
    }
    std::vector<std::string> encoded =
        Check::python("import quopri\ndef apply(data): return quopri.encodestring(data)\n", inputs);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(throughPieces(decode, Check::cutRandomly(encoded[i], random, 20)), inputs[i]);
}

} // namespace
} // namespace Filter
} // namespace Kestrava
