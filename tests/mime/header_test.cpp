#include "mime/header.h"

#include "mime/capabilities.h"
#include "mime/fields/contentid.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/fields/contenttype.h"
#include "mime/fields/datetime.h"
#include "mime/empty.h"
#include "mime/errors.h"
#include "tests/filter/support/python.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace
{

/// A header filled from raw lines, as the message parser fills it.
class ParsedHeader : public Header
{
public:
    explicit ParsedHeader(const char* text)
    {
        size_t size = std::strlen(text);
        size_t position = 0;
        while (position < size)
        {
            try
            {
                _lines.emplace_back(text + position, size - position);
                position += _lines.back().size;
            }
            catch (const EmptyLine&)
            {
                break;
            }
        }
    }
};

std::vector<std::string> values(const std::vector<Value>& all)
{
    std::vector<std::string> texts;
    for (const Value& value : all)
        texts.push_back(value.copy());
    return texts;
}

using Texts = std::vector<std::string>;

TEST(HeaderTest, LookupsIgnoreTheCaseOfNames)
{
    ParsedHeader header("Subject: a\r\nTo: x@y\r\nsubject: b\r\n\r\n");
    EXPECT_EQ(header.size(), 3u);
    EXPECT_EQ(header.get("SUBJECT").copy(), "a");
    EXPECT_EQ(values(header.all("Subject")), (Texts{"a", "b"}));
    ReverseHeaderIterator last = header.rfind("subject");
    EXPECT_EQ(last.index, 0u);
    EXPECT_EQ(last.value().copy(), "b");
    EXPECT_FALSE(header.rfind("cc").valid());
    EXPECT_EQ(&header.get("Cc"), &empty_value());
    EXPECT_TRUE(header.contains("to"));
    EXPECT_TRUE(header.contains(Key("TO"), Value("X@Y")));
    EXPECT_FALSE(header.contains(Key("to"), Value("x@y ")));
    EXPECT_FALSE(header.contains("Subj"));
}

TEST(HeaderTest, IteratorsWalkTheirName)
{
    ParsedHeader header("Subject: a\r\nTo: x@y\r\nsubject: b\r\nCc: z@y\r\n");
    Texts seen;
    for (HeaderIterator it = header.find("subject"); it.valid(); ++it)
        seen.push_back(it.value().copy());
    EXPECT_EQ(seen, (Texts{"a", "b"}));
    Texts reverse;
    for (ReverseHeaderIterator it = header.rbegin(); it != header.rend(); ++it)
        reverse.push_back(it.key().copy());
    EXPECT_EQ(reverse, (Texts{"Cc", "subject", "To", "Subject"}));
    HeaderIterator end = header.end();
    HeaderIterator same = end++;
    EXPECT_EQ(end.index, 4u);
    EXPECT_EQ(same.index, 4u);
    EXPECT_FALSE(header.find("bcc").valid());
}

TEST(HeaderTest, RemovingThroughAnIteratorStandsOnTheNextLine)
{
    ParsedHeader header("Subject: a\r\nTo: x@y\r\nsubject: b\r\n");
    HeaderIterator next = header.remove(header.find("subject"));
    EXPECT_EQ(next.key().copy(), "To");
    EXPECT_EQ(header.size(), 2u);
    header.remove("SUBJECT");
    EXPECT_EQ(header.size(), 1u);
    header.remove([](const Line& line) { return line.key() == "to"; });
    EXPECT_EQ(header.size(), 0u);
    header.remove(size_t(5));
    EXPECT_EQ(header.str(false), "\r\n");
}

TEST(HeaderTest, SetKeepsOneLineAtTheFirstPlace)
{
    ParsedHeader header("Subject: a\r\nTo: x@y\r\nsubject: b\r\nSUBJECT: c\r\n");
    header.set("subject", "new");
    EXPECT_EQ(header.str(false), "subject: new\r\nTo: x@y\r\n\r\n");
    header.set("Subject", "");
    header.set("", "value");
    header.set(nullptr, "value");
    EXPECT_EQ(header.size(), 2u);
    header.set("Cc", "z@y");
    EXPECT_EQ(header.line(2).key().copy(), "Cc");
    header.append("Comments", "");
    EXPECT_EQ(header.size(), 4u);
    EXPECT_EQ(header.get("comments").size, 0u);
    header.set(header.find("to"), "w@y");
    header.set(header.end(), "ignored");
    EXPECT_EQ(header.str(false), "subject: new\r\nTo: w@y\r\nCc: z@y\r\nComments:\r\n\r\n");
}

TEST(HeaderTest, AppendAndPrependKeepTheNameTheyWereGiven)
{
    Header header;
    {
        std::string name = "X-Mine";
        header.append(name.c_str(), "one");
        name = "X-Temp";
        header.prepend(name.c_str(), "zero");
    }
    EXPECT_EQ(header.str(false), "X-Temp: zero\r\nX-Mine: one\r\n\r\n");
    EXPECT_THROW(header.append("Bad:Name", "x"), std::invalid_argument);
    EXPECT_THROW(header.append("Bad Name", "x"), std::exception);
    EXPECT_EQ(header.size(), 2u);
}

TEST(HeaderTest, PlainValuesAreFoldedAndUnstructuredOnesEncoded)
{
    Header header;
    header.set("Subject", "a\r\nBcc: evil@example.com");
    EXPECT_EQ(header.size(), 1u);
    EXPECT_EQ(header.get("subject").copy(), "a Bcc: evil@example.com");
    std::string words;
    for (int i = 0; i < 30; ++i)
        words += "word" + std::to_string(i) + " ";
    header.append("Comments", words.c_str());
    std::string text = header.str(false);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        EXPECT_LE(line.size(), 79u) << line;
        EXPECT_EQ(line.back(), '\r');
    }
    EXPECT_EQ(header.all("comments").size(), 1u);
}

TEST(HeaderTest, TypedValuesAreWrittenInTheirForm)
{
    Header header;
    header.set(ContentTransferEncoding(ContentTransferEncoding::base64));
    header.set(ContentID("<a@b>", 5));
    const char* type = "text/plain; charset=\"utf-8\"";
    header.prepend("content-type", ContentType(type, std::strlen(type), true));
    header.set(header.find("content-id"), ContentID("<c@d>", 5));
    EXPECT_EQ(header.str(false), "content-type: text/plain; charset=utf-8\r\n"
                                 "Content-Transfer-Encoding: base64\r\n"
                                 "Content-ID: <c@d>\r\n\r\n");
    header.set(ContentType(type, std::strlen(type), true));
    EXPECT_EQ(header.line(0).key().copy(), "Content-Type");
    EXPECT_EQ(ContentTransferEncoding::extract(header), ContentTransferEncoding::base64);
    EXPECT_FALSE(header.multipart());
}

TEST(HeaderTest, DatesAreWrittenAsPythonReadsThem)
{
    const char* module = R"(
import email.utils
def apply(data):
    when = email.utils.parsedate_to_datetime(data.decode())
    return ("%d %d" % (when.timestamp(), when.utcoffset().total_seconds() // 60)).encode()
)";
    const std::vector<std::pair<std::time_t, int>> times = {
        {0, 0}, {951782400, 330}, {1796659200, -480}, {-2208988800, 0}, {253402300799, -1439}};
    std::vector<std::string> texts;
    for (const auto& [time, offset] : times)
        texts.push_back(DateTime(time, offset).str(false));
    EXPECT_EQ(texts[0], "Thu, 01 Jan 1970 00:00:00 +0000");
    EXPECT_EQ(texts[1], "Tue, 29 Feb 2000 05:30:00 +0530");
    std::vector<std::string> read = Filter::Check::python(module, texts);
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_EQ(read[i], std::to_string(times[i].first) + " " + std::to_string(times[i].second))
            << texts[i];
    EXPECT_THROW(DateTime(0, 1440), std::invalid_argument);
    EXPECT_THROW(DateTime(253402300799, 1), std::invalid_argument);
    EXPECT_THROW(DateTime(std::numeric_limits<std::time_t>::max(), 60), std::invalid_argument);

    ParsedHeader header("date: old\r\nTo: a@b\r\nDate: older\r\n");
    header.set(DateTime(0));
    EXPECT_EQ(header.str(false), "Date: Thu, 01 Jan 1970 00:00:00 +0000\r\nTo: a@b\r\n\r\n");
}

TEST(HeaderTest, TheBlockAlwaysEndsInCrLf)
{
    EXPECT_EQ(ParsedHeader("A: 1\nB: 2\n\nbody").str(false), "A: 1\r\nB: 2\r\n\r\n");
    EXPECT_EQ(ParsedHeader("A: 1\r\nB: 2").str(false), "A: 1\r\nB: 2\r\n\r\n");
    EXPECT_EQ(Header().str(true), "\r\n");
}

TEST(HeaderTest, HeadersCompareTheirLinesInAnyOrder)
{
    ParsedHeader one("A: 1\r\nB: 2\r\nA: 1\r\n");
    ParsedHeader two("b: 2\r\na: 1\r\n");
    EXPECT_TRUE(one.matches(two));
    two.append("C", "3");
    EXPECT_TRUE(two.covers(one));
    EXPECT_FALSE(one.covers(two));
    EXPECT_TRUE(one.valid());
    EXPECT_TRUE(one.sevenbit());
    EXPECT_FALSE(Header().eightbit());
    EXPECT_TRUE(ParsedHeader("X: caf\xC3\xA9\r\n").eightbit());
    EXPECT_TRUE(ParsedHeader("Content-Type: multipart/mixed; boundary=x\r\n").multipart());
    EXPECT_FALSE(ParsedHeader("Content-Type: multipart/mixed\r\n").multipart());
    EXPECT_TRUE(ParsedHeader("Content-Type: multipart/mixed ; boundary=x\r\n").multipart());
}

TEST(HeaderTest, AFoldRightAfterTheColonIsNoPartOfTheValue)
{
    std::string word(75, 'w');
    Header header;
    header.append("Subject", word.c_str());
    EXPECT_EQ(header.str(false), "Subject:\r\n " + word + "\r\n\r\n");
    EXPECT_EQ(header.get("subject").copy(), word);
    EXPECT_EQ(ParsedHeader("Subject:\r\nTo: a@b\r\n").get("subject").size, 0u);
}

TEST(HeaderTest, EditsFoldOnlyBetweenWordsOfTheValue)
{
    std::string name = "X-" + std::string(80, 'n');
    std::string token = "https://example.com/" + std::string(100, 'u');
    Header header;
    header.append(name.c_str(), "v");
    header.append("Subject", ("see " + token).c_str());
    header.append("Comments", token.c_str());
    EXPECT_EQ(header.str(false), name + ":\r\n v\r\nSubject: see\r\n " + token +
                                     "\r\nComments:\r\n " + token + "\r\n\r\n");
}

TEST(HeaderTest, WrittenSubjectsReadAsPythonReadsThem)
{
    const char* module = R"(
import email, email.policy
def apply(data):
    return str(email.message_from_bytes(data, policy=email.policy.default)['subject']).encode('utf-8')
)";
    const std::vector<std::string> words = {"caf\xC3\xA9",
                                            "na\xC3\xAFve",
                                            "plain",
                                            "=?x?=",
                                            "a_b",
                                            "\xE6\xBC\xA2\xE5\xAD\x97",
                                            "\xF0\x9F\x98\x80",
                                            "q?",
                                            "=?iso-8859-1?q?caf=E9?=",
                                            "(=?utf-8?q?in_a_word?=)",
                                            "long-" + std::string(70, 'w'),
                                            "https://example.com/" + std::string(100, 'u')};
    std::vector<std::string> texts;
    std::vector<std::string> messages;
    for (size_t i = 0; i < 60; ++i)
    {
        std::string text;
        for (size_t j = 0; j <= i % 17; ++j)
            // A first word too long for the name's line (the last two) would
            // fold right after the colon, and Python keeps the blank of that fold.
            text += (j > 0 ? " " : "") + words[(i * 7 + j * 3) % (words.size() - 2 * (j == 0))];
        Header header;
        header.append("Subject", text.c_str());
        texts.push_back(text);
        messages.push_back(header.str(false) + "body\r\n");
        for (unsigned char c : messages.back())
            ASSERT_LT(c, 0x80) << messages.back();
    }
    std::vector<std::string> read = Filter::Check::python(module, messages);
    for (size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(read[i], texts[i]) << messages[i];
}

} // namespace
} // namespace Mime
} // namespace Kestrava
