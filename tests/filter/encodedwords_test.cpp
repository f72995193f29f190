#include "filter/adjacentwords.h"
#include "filter/encodedmimeword.h"
#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"

#include "tests/filter/support/chain.h"
#include "tests/filter/support/everycut.h"
#include "tests/filter/support/python.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace Kestrava
{
namespace Filter
{
namespace
{

using Check::expectForEveryCut;
using Check::throughPieces;
using Check::throughStage;

Check::MakeStage decodeTo(const std::string& charset)
{
    return [=](Result* next) { return std::make_unique<MimeHeaderDecode>(charset, next); };
}

Check::MakeStage encodeAs(MimeHeaderEncoding encoding, size_t used = 0, size_t limit = 78)
{
    return [=](Result* next)
    { return std::make_unique<MimeHeaderEncode>(used, limit, encoding, next); };
}

const auto decodeUtf8 = decodeTo("utf-8");
const auto encodeText = encodeAs(MimeHeaderEncoding::Text);

TEST(EncodedWordsTest, DecodesEncodedWordsToUtf8)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"=?ISO-8859-1?Q?caf=E9?=", "caf\xC3\xA9"},
        {"=?utf-8?B?Y2Fmw6k=?=", "caf\xC3\xA9"},
        {"=?utf-8?b?w6k?=", "\xC3\xA9"},
        {"=?utf-8?b?SGVsbG8sIHdvcmxkIQ?=", "Hello, world!"},
        {"=?utf-8*en?q?a_b?=", "a b"},
        {"=?utf-8?x?abc?=", "=?utf-8?x?abc?="},
        {"=?abc?=", "=?abc?="},
        {"=?utf-8?q?a?= =?utf-8?q?b?=", "ab"},
        {"x =?utf-8?q?a?= y", "x a y"},
        {"a  \t b\r\n c", "a b c"},
        {"=?utf-8?q?a=ZZb?=", "a=ZZb"},
        // An "=" cut off by the end of the word stays, as Python keeps it.
        {"=?utf-8?q?a=3?=", "a=3"},
        // Glued words are read each on its own, also next to text; those of
        // one charset as one text, so a character split between two reads
        // whole.
        {"=?utf-8?q?J=C3=BC?==?utf-8?q?rgen?=", "J\xC3\xBCrgen"},
        {"=?utf-8?b?SsO8?==?utf-8?b?cmdlbg==?=", "J\xC3\xBCrgen"},
        {"=?UTF-8?q?J=C3?==?utf-8?b?vHJnZW4=?= x", "J\xC3\xBCrgen x"},
        {"=?iso-8859-1?q?J=FC?==?utf-8?q?rgen?=", "J\xC3\xBCrgen"},
        {"abc=?utf-8?q?J=C3=BC?=def=?utf-8?q?x?=", "abcJ\xC3\xBC"
                                                   "defx"},
        {"=?utf-8?q?a?===?utf-8?q?b?=", "a=b"},
        {"=?utf-8?x?a?==?utf-8?q?b?=", "=?utf-8?x?a?==?utf-8?q?b?="},
        // A word that does not decode stays as written; bytes that are
        // UTF-8 all the same are read so, whatever the label says.
        {"=?utf-8?q?caf=C3=?=", "=?utf-8?q?caf=C3=?="},
        {"=?utf-8?q?a?==?utf-8?q?Fr=F6sche?= b", "a=?utf-8?q?Fr=F6sche?= b"},
        {"=?utf-8?q?J=C3?= =?iso-8859-1?q?=BC?=", "=?utf-8?q?J=C3?=\xC2\xBC"},
        {"=?us-ascii?q?caf=C3=A9?=", "caf\xC3\xA9"},
        // Bytes of no known charset stand for themselves.
        {"=?unknown-8bit?q?Fr=F6sche?= =?UNKNOWN-8BIT?b?w6k=?=", "Fr\xF6sche\xC3\xA9"}};
    for (const auto& [input, expected] : cases)
        expectForEveryCut(decodeUtf8, input, expected);
}

TEST(EncodedWordsTest, DecodesWordsLongerThan75CharactersAsPythonDoes)
{
    std::string word = "=?utf-8?q?" + std::string(100, 'a') + "=C3=A9?=";
    std::string header = "x " + word + " y";
    std::string python = Check::python(
        "from email.header import decode_header, make_header\n"
        "def apply(data): return str(make_header(decode_header(data.decode()))).encode()\n",
        header);
    EXPECT_EQ(throughStage(decodeUtf8, header), python);
    EXPECT_EQ(python, "x " + std::string(100, 'a') + "\xC3\xA9 y");
}

TEST(EncodedWordsTest, UnknownCharsetIsRefusedButNotFromADestructor)
{
    std::string output;
    String sink(&output);
    MimeHeaderDecode decoder("utf-8", &sink);
    EXPECT_EQ(Testing::failureOf([&] { decoder.process("=?x-nothing?q?a?= b", false); }),
              "Conversion not possible");
    EXPECT_EQ(Testing::failureOf([] { AdjacentWords("utf-8", true).add("=?x-nothing?q?a?=", 17); }),
              "Conversion not possible");
    {
        MimeHeaderDecode last("utf-8", &sink);
        last.process("a =?x-nothing?q?a?=", false);
    }
    EXPECT_EQ(output, "a ");
}

TEST(EncodedWordsTest, EncodesWordsThatAreNotPlainPrintableText)
{
    EXPECT_EQ(throughStage(encodeText, "Hello w\xC3\xB6rld"), "Hello =?utf-8?q?w=C3=B6rld?=");
    EXPECT_EQ(throughStage(encodeText, "Gr\xC3\xBC\xC3\x9F"
                                       "e K\xC3\xB6ln"),
              "=?utf-8?q?Gr=C3=BC=C3=9Fe_K=C3=B6ln?=");
    EXPECT_EQ(throughStage(encodeText, "Gr\xC3\xBC\xC3\x9F"
                                       "e aus K\xC3\xB6ln"),
              "=?utf-8?q?Gr=C3=BC=C3=9Fe?= aus =?utf-8?q?K=C3=B6ln?=");
    EXPECT_EQ(throughStage(encodeText, "=?x?= a_b"), "=?utf-8?q?=3D=3Fx=3F=3D?= a_b");
    // Bytes that are not UTF-8 are never labelled so.
    EXPECT_EQ(throughStage(encodeText, "Die Fr\xF6sche \xC3\xA4"),
              "Die =?unknown-8bit?q?Fr=F6sche_=C3=A4?=");
    // A long plain word is left whole up to the hard line limit.
    std::string long997(997, 'l');
    EXPECT_EQ(throughStage(encodeText, "a " + long997), "a\r\n " + long997);
    EXPECT_EQ(throughStage(encodeText, long997 + "l").substr(0, 12), "=?utf-8?q?ll");
}

TEST(EncodedWordsTest, PlacesDecideWhatIsPlain)
{
    auto phrase = encodeAs(MimeHeaderEncoding::Phrase);
    auto comment = encodeAs(MimeHeaderEncoding::Comment);
    EXPECT_EQ(throughStage(phrase, "John Q. Doe"), "John =?utf-8?q?Q=2E?= Doe");
    EXPECT_EQ(throughStage(comment, "a (b)"), "a =?utf-8?q?=28b=29?=");
    EXPECT_EQ(throughStage(encodeText, "a (b)"), "a (b)");
    EXPECT_EQ(throughStage(phrase, "\xC3\xA9-x"), "=?utf-8?q?=C3=A9=2Dx?=");
}

TEST(EncodedWordsTest, EncodedMimeWordRoom)
{
    EXPECT_EQ(Testing::failureOf([] { EncodedMimeWord("a", 1, 12, MimeHeaderEncoding::Text); }),
              "available space is too small for one word");
    EncodedMimeWord one("ab", 2, 13, MimeHeaderEncoding::Text);
    EXPECT_EQ(one.text(), "=?utf-8?q?a?=");
    EXPECT_EQ(one.consumed(), 1u);
    EXPECT_EQ(one.inputSize(), 2u);
    // Only the blank is "_": a tab comes back as a tab.
    EXPECT_EQ(EncodedMimeWord("a \tb", 4, 75, MimeHeaderEncoding::Text).text(),
              "=?utf-8?q?a_=09b?=");
    // A character that does not fit whole is left for the next word.
    EXPECT_EQ(
        Testing::failureOf([] { EncodedMimeWord("\xC3\xA9", 2, 17, MimeHeaderEncoding::Text); }),
        "available space is too small for one word");
    EncodedMimeWord split("a\xC3\xA9", 3, 18, MimeHeaderEncoding::Text);
    EXPECT_EQ(split.text(), "=?utf-8?q?a?=");
}

TEST(EncodedWordsTest, RoomNeverWrapsBelowZero)
{
    // More already used than the limit: the second word folds.
    EXPECT_EQ(throughStage(encodeAs(MimeHeaderEncoding::Text, 90), "first second"),
              "first\r\n second");
    // A first plain word longer than the room after "Subject: ".
    std::string word(75, 'w');
    EXPECT_EQ(throughStage(encodeAs(MimeHeaderEncoding::Text, 9), word + " a b"),
              word + "\r\n a b");
    EXPECT_EQ(throughStage(encodeAs(MimeHeaderEncoding::Text, 90), "\xC3\xA9"),
              "\r\n =?utf-8?q?=C3=A9?=");
}

TEST(EncodedWordsTest, LimitTooSmallForAnyWordIsReported)
{
    std::string output;
    String sink(&output);
    MimeHeaderEncode encoder(0, 10, MimeHeaderEncoding::Text, &sink);
    encoder.process("\xC3\xA9", false);
    EXPECT_EQ(Testing::failureOf([&] { encoder.flush(); }),
              "available space is too small for one word");
}

/// A random header text: words of ASCII, Latin, CJK, emoji and long runs,
/// separated by blank runs.
std::string randomText(std::mt19937& random)
{
    static const std::vector<std::string> pieces = {"a",
                                                    "Zz",
                                                    "hello",
                                                    "x.y",
                                                    "_?=",
                                                    "(c)",
                                                    "\xC3\xA9",
                                                    "\xC3\x9F",
                                                    "\xE6\x97\xA5\xE6\x9C\xAC",
                                                    "\xE8\xAA\x9E",
                                                    "\xF0\x9F\x98\x80",
                                                    "\xF0\x9F\x8E\x89",
                                                    "=?",
                                                    "a\"b"};
    std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> words(1, 12);
    std::uniform_int_distribution<int> parts(1, 6);
    std::string text;
    for (int word = words(random); word > 0; --word)
    {
        if (!text.empty()) text += random() % 5 == 0 ? " \t " : " ";
        if (random() % 10 == 0)
            while (text.size() % 200 < 190)
                text += pieces[piece(random)];
        for (int part = parts(random); part > 0; --part)
            text += pieces[piece(random)];
    }
    return text;
}

/// The text with its blank runs as one blank and none at the ends.
std::string singleBlanks(const std::string& text)
{
    std::istringstream words(text);
    std::string result;
    for (std::string word; words >> word;)
        result += (result.empty() ? "" : " ") + word;
    return result;
}

TEST(EncodedWordsTest, RandomTextsGoBackThroughPythonWithinTheLineLimits)
{
    std::mt19937 random(10);
    std::vector<std::string> texts;
    std::vector<std::string> headers;
    const std::regex encodedWord("=\\?utf-8\\?q\\?[^? ]*\\?=");
    for (int i = 0; i < 500; ++i)
    {
        texts.push_back(randomText(random));
        size_t used = size_t(i % 91);
        std::string header = throughPieces(encodeAs(MimeHeaderEncoding::Text, used),
                                           Check::cutRandomly(texts.back(), random, 30));
        headers.push_back(header);
        std::string lines = std::string(used, 'u') + header;
        for (size_t start = 0; start <= lines.size();)
        {
            size_t end = std::min(lines.find("\r\n", start), lines.size());
            std::string line = lines.substr(start, end - start);
            bool severalWords = line.find(' ', 1) != std::string::npos;
            EXPECT_TRUE(!severalWords || line.size() <= 78) << line;
            start = end + 2;
        }
        for (std::sregex_iterator word(header.begin(), header.end(), encodedWord), end; word != end;
             ++word)
            EXPECT_LE(word->length(), 75) << word->str();
    }
    std::vector<std::string> decoded = Check::python(
        "import re\n"
        "from email.header import decode_header, make_header\n"
        "def apply(data):\n"
        "    text = data.decode().replace('\\r\\n ', ' ')\n"
        "    for word in re.findall(r'=\\?utf-8\\?q\\?[^? ]*\\?=', text):\n"
        "        decode_header(word)[0][0].decode('utf-8')  # no character split\n"
        "    return ' '.join(str(make_header(decode_header(text))).split()).encode()\n",
        headers);
    for (size_t i = 0; i < texts.size(); ++i)
    {
        EXPECT_EQ(decoded[i], singleBlanks(texts[i])) << headers[i];
        EXPECT_EQ(
            singleBlanks(throughPieces(decodeUtf8, Check::cutRandomly(headers[i], random, 9))),
            singleBlanks(texts[i]));
    }
}

} // namespace
} // namespace Filter
} // namespace Kestrava
