#include "filter/charset.h"

#include "tests/filter/support/chain.h"
#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

namespace Kestrava
{
namespace Filter
{
namespace
{

using Check::throughPieces;
using Check::throughStage;

Check::MakeStage charset(const std::string& target, const std::string& source)
{
    return [=](Result* next) { return std::make_unique<Charset>(next, target, source); };
}

TEST(CharsetTest, Latin1GivesWhatTheIconvCommandGives)
{
    std::string latin1;
    for (int byte = 0; byte < 256; ++byte)
        latin1.push_back(static_cast<char>(byte));
    OpenSSL::Test::Scratch scratch;
    scratch.write("latin1", latin1);
    std::string output;
    ASSERT_EQ(OpenSSL::Test::runShell("iconv -f ISO-8859-1 -t UTF-8 " + scratch.path("latin1") +
                                          " > " + scratch.path("utf8"),
                                      &output),
              0)
        << output;
    std::string expected = scratch.read("utf8");
    ASSERT_EQ(expected.size(), 128u + 2 * 128u);

    auto convert = charset("UTF-8", "ISO-8859-1");
    EXPECT_EQ(throughStage(convert, latin1), expected);
    for (size_t cut = 0; cut <= latin1.size(); cut += 37)
        EXPECT_EQ(throughPieces(convert, Check::cutAt(latin1, cut)), expected);
}

TEST(CharsetTest, ACharacterCutBetweenChunksConvertsOnce)
{
    auto convert = charset("ISO-8859-1", "UTF-8");
    EXPECT_EQ(throughPieces(convert, {"caf\xC3", "\xA9!"}), "caf\xE9!");
    EXPECT_EQ(throughPieces(convert, {"\xE2\x82", "", "\xAC"}), "EUR");
    // A cut character that never gets its end is dropped.
    EXPECT_EQ(throughPieces(convert, {"ab\xC3"}), "ab");
}

TEST(CharsetTest, InvalidBytesAreSkipped)
{
    auto convert = charset("UTF-8", "UTF-8");
    EXPECT_EQ(throughStage(convert, "a\xFF"
                                    "b\x80\xC3\xA9"),
              "ab\xC3\xA9");
    std::string big(3000, 'x');
    EXPECT_EQ(throughStage(convert, big + "\xFE" + big), big + big);
}

TEST(CharsetTest, TransliteratesWhatTheTargetCannotHold)
{
    const char* text = "x\xE2\x82\xAC";
    EXPECT_EQ(throughStage(charset("ASCII", "UTF-8"), text), "xEUR");
    // A target that already asks for it works the same.
    EXPECT_EQ(throughStage(charset("ASCII//TRANSLIT", "UTF-8"), text), "xEUR");
}

TEST(CharsetTest, UnknownCharsetIsRefused)
{
    std::string output;
    String sink(&output);
    EXPECT_EQ(Testing::failureOf([&] { Charset(&sink, "UTF-8", "no-such-charset"); }),
              "Conversion not possible");
    EXPECT_EQ(Testing::failureOf([&] { Charset(&sink, "no-such-charset", "UTF-8"); }),
              "Conversion not possible");
}

} // namespace
} // namespace Filter
} // namespace Kestrava
