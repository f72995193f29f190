#include "filter/hexdecode.h"
#include "filter/hexencode.h"
#include "filter/rfc2231.h"
#include "filter/urlencode.h"

#include "tests/filter/support/chain.h"
#include "tests/filter/support/python.h"
#include "tests/filter/support/recorder.h"

#include <gtest/gtest.h>

namespace Kestrava
{
namespace Filter
{
namespace
{

using Check::stage;
using Check::throughPieces;
using Check::throughStage;

const auto urlEncode = stage<UrlEncode>();
const auto rfc2231 = stage<Rfc2231>();
const auto hexDecode = stage<HexDecode>();

Check::MakeStage hexEncode(const char* extra)
{
    return [=](Result* next) { return std::make_unique<HexEncode>(next, extra); };
}

TEST(HexUrlTest, UrlEncoding)
{
    EXPECT_EQ(throughStage(urlEncode, "a b&c~"), "a+b%26c~");
    EXPECT_EQ(throughStage(urlEncode, "\xC3"), "%c3");
    EXPECT_EQ(throughStage(urlEncode, std::string("-._\0/", 5)), "-._%00%2f");
}

TEST(HexUrlTest, UrlEncodingAgreesWithPython)
{
    std::mt19937 random(4);
    std::string bytes = Check::randomBytes(random, 2000);
    // Python writes uppercase hex digits, ours are lowercase.
    EXPECT_EQ(
        throughPieces(urlEncode, Check::cutRandomly(bytes, random, 50)),
        Check::python("import re, urllib.parse\n"
                      "def apply(data):\n"
                      "    text = urllib.parse.quote_plus(data)\n"
                      "    return re.sub('%..', lambda m: m.group(0).lower(), text).encode()\n",
                      bytes));
}

TEST(HexUrlTest, HexEncodingKeepsPrintablesOutsideTheExtraSet)
{
    EXPECT_EQ(throughStage(hexEncode(nullptr), "a=b\tc"), "a=b%09c");
    EXPECT_EQ(throughStage(hexEncode("="), "a=b"), "a%3db");
    EXPECT_EQ(throughStage(rfc2231, "a=b c*'%\xFF"), "a%3db%20c%2a%27%25%ff");
}

TEST(HexUrlTest, HexEncodingPassesLongRunsWithTheCallersFlag)
{
    Check::Recorder sink;
    HexEncode encoder(&sink, nullptr);
    const std::string run(100, 'r');
    EXPECT_EQ(encoder.process(("ab\n" + run + "\t").c_str(), true), 108u);
    ASSERT_EQ(sink.calls.size(), 3u);
    // A short run goes with the escapes, as the stage's own bytes.
    EXPECT_EQ(sink.calls[0].bytes, "ab%0a");
    EXPECT_FALSE(sink.calls[0].final);
    EXPECT_EQ(sink.calls[1].bytes, run);
    EXPECT_TRUE(sink.calls[1].final);
    EXPECT_EQ(sink.calls[2].bytes, "%09");
}

TEST(HexUrlTest, HexDecoding)
{
    EXPECT_EQ(throughStage(hexDecode, "%41%4a"), "AJ");
    EXPECT_EQ(throughPieces(hexDecode, {"%4", "1"}), "A");
    EXPECT_EQ(throughPieces(hexDecode, {"x%", "4", "1y"}), "xAy");
    EXPECT_EQ(throughStage(hexDecode, "%4A%4b"), "JK");
}

TEST(HexUrlTest, PercentWithoutTwoHexDigitsStaysAsItStands)
{
    EXPECT_EQ(throughStage(hexDecode, "%zz"), "%zz");
    EXPECT_EQ(throughStage(hexDecode, "%4z%%41"), "%4z%A");
    EXPECT_EQ(throughPieces(hexDecode, {"%", "z"}), "%z");
    EXPECT_EQ(throughPieces(hexDecode, {"%4", "%41"}), "%4A");
    // An escape cut off by the end of the input stays, as Python keeps it.
    EXPECT_EQ(throughStage(hexDecode, "ab%4"), "ab%4");
    EXPECT_EQ(throughStage(hexDecode, "ab%"), "ab%");
    EXPECT_EQ(throughStage(hexDecode, "ab%4", false), "ab%4") << "at the stage's end";
}

TEST(HexUrlTest, HexDecodingAgreesWithPythonsUnquote)
{
    std::mt19937 random(5);
    std::vector<std::string> inputs;
    for (int i = 0; i < 200; ++i)
    {
        inputs.push_back(Check::randomBytes(random, 30, "%%%4aFgz0 "));
    }
    std::vector<std::string> expected = Check::python(
        "import urllib.parse\ndef apply(data): return urllib.parse.unquote_to_bytes(data)\n",
        inputs);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(throughPieces(hexDecode, Check::cutRandomly(inputs[i], random, 4)), expected[i])
            << inputs[i];
}

TEST(HexUrlTest, Rfc2231ThenHexDecodingGivesTheBytesBack)
{
    std::mt19937 random(6);
    for (int round = 0; round < 50; ++round)
    {
        std::string bytes = Check::randomBytes(random, 500);
        std::string encoded = throughPieces(rfc2231, Check::cutRandomly(bytes, random, 40));
        EXPECT_EQ(encoded.find_first_of(" *'()<>@,;:\\\"/[]?="), std::string::npos);
        EXPECT_EQ(throughPieces(hexDecode, Check::cutRandomly(encoded, random, 40)), bytes);
    }
}

} // namespace
} // namespace Filter
} // namespace Kestrava
