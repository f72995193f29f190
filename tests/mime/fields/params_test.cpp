#include "mime/fields/params.h"

#include "mime/capabilities.h"
#include "mime/fields/contenttype.h"
#include "tests/filter/support/python.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace
{

Params parse(const std::string& text, bool strict = false)
{
    return Params(text.data(), text.size(), strict);
}

std::vector<std::string> names(const Params& params)
{
    std::vector<std::string> result;
    for (const auto& param : params.all())
        result.push_back(param->name() + "=" + param->value().text());
    return result;
}

using Names = std::vector<std::string>;

TEST(ParamsTest, ListsAreWrittenBackWithTheirSeparators)
{
    Params params = parse("charset=utf-8; format=flowed");
    EXPECT_EQ(names(params), (Names{"charset=utf-8", "format=flowed"}));
    EXPECT_EQ(params.str(false), "; charset=utf-8; format=flowed");
    EXPECT_EQ(params.get("CHARSET"), "utf-8");
    EXPECT_EQ(params.get("missing"), "");
    EXPECT_EQ(parse("").str(false), "");
}

TEST(ParamsTest, BadParametersAreSkippedAlone)
{
    EXPECT_EQ(names(parse("a=1; broken; b=2")), (Names{"a=1", "b=2"}));
    EXPECT_EQ(names(parse("a=1; \"x;y\"; b=2")), (Names{"a=1", "b=2"}));
    EXPECT_EQ(names(parse("a=1; \"open; b=2")), (Names{"a=1"}));
    EXPECT_EQ(names(parse("a=1 b=2")), (Names{"a=1"}));
    EXPECT_EQ(names(parse("a=; b=")), (Names{"a=", "b="}));
    EXPECT_EQ(parse("a=").str(false), "; a=");
    EXPECT_EQ(names(parse("a=b,c; d=e", true)), (Names{"d=e"}));
    EXPECT_EQ(names(parse("a=b/c; d=\"e,f=g\"", true)), (Names{"d=e,f=g"}));
    EXPECT_EQ(names(parse("a=b,c; d=e", false)), (Names{"a=b,c", "d=e"}));
    EXPECT_EQ(names(parse("a=1; (a comment) b=2 (x);")), (Names{"a=1", "b=2"}));
    EXPECT_EQ(names(parse("*a=1; name*x=2; n*1x=3")), (Names{"*a=1", "name*x=2", "n*1x=3"}));
}

TEST(ParamsTest, SkippedParametersAreWrittenBackForStrictReaders)
{
    Params params = parse("filename=R\xC3\xA9sum\xC3\xA9.pdf; a=b,c; broken; charset=utf-8; "
                          "t*=x-none''a; n*1=\xC3\xA9; c*0=R\xC3\xA9s; c*1=um\xC3\xA9; "
                          "d*0=ab; d*1=c,d",
                          true);
    EXPECT_EQ(names(params), (Names{"charset=utf-8", "t=a"}));
    std::string text = params.str(false);
    // Continued ones are joined, after the others; a section that joins
    // nothing comes last, as it came.
    EXPECT_EQ(text, "; filename*=utf-8''R%c3%a9sum%c3%a9.pdf; a=\"b,c\"; broken; charset=utf-8; "
                    "t=a; c*=utf-8''R%c3%a9sum%c3%a9; d=\"abc,d\"; n*1=\xC3\xA9");
    const char* module = R"(
import email, email.policy
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    return message.get_filename().encode()
)";
    std::string message = "Content-Disposition: attachment" + text + "\r\n\r\nbody\r\n";
    std::string python = Filter::Check::python(module, message);
    EXPECT_EQ(python, "R\xC3\xA9sum\xC3\xA9.pdf");
    params.set("FileName", "x.pdf");
    EXPECT_EQ(params.str(false),
              "; a=\"b,c\"; broken; charset=utf-8; t=a; "
              "c*=utf-8''R%c3%a9sum%c3%a9; d=\"abc,d\"; n*1=\xC3\xA9; FileName=x.pdf");
}

TEST(ParamsTest, SectionsThatJoinNothingStayApartFromTheirName)
{
    // Long values would be split into sections that mix with the others.
    const std::string x(150, 'x');
    const std::string y(150, 'y');
    const std::vector<std::string> lists = {
        "name*1=abc",
        "name*0=a; name*2=c",
        "name*0=" + x + "; name*2=c",
        "name=" + x + "; name*1=y",
        "name*0=a; name*1=" + x + "; name*1=c",
        "name*0*=utf-8''%C3%A9" + x + "; name*2*=%C3%A9",
        "name=" + x + "; Name=" + y,
        // Only a lenient read takes the quote in, and a strict one would
        // close it with the one left open at the end.
        "name*0=a; name*2=b\"; x=\"; name*1=c",
        // The name of the last is "name*0".
        "name*0=c; name*1=d; name*0*0=a",
    };
    const char* module = R"(
import email, email.policy
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    params = sorted(message['content-type'].params)
    return (repr(params) + repr(message.get_param('name'))).encode()
)";
    std::vector<std::string> messages;
    for (const std::string& list : lists)
        for (bool strict : {true, false})
        {
            Params params = parse(list, strict);
            std::string text = params.str(false);
            EXPECT_EQ(names(parse(text.substr(2), true)), names(params)) << text;
            // What only a lenient read takes, each reader takes its own way.
            if (!strict) continue;
            for (const std::string& written : {"; " + list, text})
                messages.push_back("Content-Type: text/plain" + written + "\r\n\r\nbody\r\n");
        }
    std::vector<std::string> read = Filter::Check::python(module, messages);
    for (size_t i = 0; i < messages.size(); i += 2)
        EXPECT_EQ(read[i + 1], read[i]) << messages[i + 1];
}

TEST(ParamsTest, ExtendedValuesAreDecoded)
{
    EXPECT_EQ(parse("title*=us-ascii'en-us'This%20is%20%2A%2A%2Afun%2A%2A%2A").get("title"),
              "This is ***fun***");
    EXPECT_EQ(parse("name*=iso-8859-1''caf%E9").get("name"), "caf\xC3\xA9");
    EXPECT_EQ(names(parse("title*=us-ascii'This; a=b")), (Names{"a=b"}));
    EXPECT_EQ(names(parse("title*=nocharset; a=b")), (Names{"a=b"}));
    // A charset iconv does not know keeps the bytes, as Python reads them.
    EXPECT_EQ(names(parse("title*=x-unknown''a%E4; a=b")), (Names{"title=a\xE4", "a=b"}));
}

TEST(ParamsTest, EncodedWordsInQuotedValuesAreReadDecodedAndGoBackAsTheyCame)
{
    std::string words = "=?UTF-8?Q?r=C3=A9sum=C3=A9?= =?utf-8?q?_of_a_very_long_name_indeed?= "
                        "=?utf-8?q?_that_needs_more_than_one_line?=.doc";
    Params params = parse("filename=\"" + words + "\"");
    EXPECT_EQ(params.get("filename"),
              "r\xC3\xA9sum\xC3\xA9 of a very long name indeed that needs more than one line.doc");
    EXPECT_EQ(params.parameter("filename")->value().raw(), words);
    // Whole: readers decode no word split between two sections. Where the
    // line would pass 998 octets, its section number counted ("x*0" read
    // from "x*0*0" keeps one), they give way to the text in sections.
    EXPECT_EQ(params.str(false), "; \r\n filename=\"" + words + "\"");
    for (size_t length : {976, 977, 978})
    {
        std::istringstream lines(
            parse("x*0*0=\"=?utf-8?q?" + std::string(length, 'a') + "?=\"").str(false));
        for (std::string line; std::getline(lines, line);)
            EXPECT_LE(line.size() - (!line.empty() && line.back() == '\r'), 998u) << length;
    }
    params.set("filename", "a.doc");
    EXPECT_EQ(params.parameter("filename")->value().raw(), "a.doc");
    // Unquoted, they are no value readers take: kept as they came.
    EXPECT_EQ(parse("name==?utf-8?q?a?=").get("name"), "=?utf-8?q?a?=");
    // A boundary is what the delimiter lines spell.
    std::string type = "multipart/mixed; boundary=\"=?utf-8?q?a?=\"";
    EXPECT_EQ(ContentType(type.data(), type.size(), true).boundary(), "=?utf-8?q?a?=");
}

TEST(ParamsTest, ContinuationsAreJoinedAfterThePlainParameters)
{
    Params params = parse("title*0*=us-ascii'en'This%20is%20even%20more%20; a=b; "
                          "title*1*=%2A%2A%2Afun%2A%2A%2A%20; title*2=\"isn't it!\"");
    EXPECT_EQ(names(params), (Names{"a=b", "title=This is even more ***fun*** isn't it!"}));
    EXPECT_EQ(names(parse("x*0=a; x*1=b; x*3=d")), (Names{"x=ab"}));
    EXPECT_EQ(names(parse("x*1=b; x*2=c")), Names{});
    EXPECT_EQ(names(parse("x*1=b; X*0=a")), (Names{"X=ab"}));
    EXPECT_EQ(names(parse("x*0=a; x*0=b; x*1=c")), (Names{"x=ac", "x=b"}));
    std::string reversed = "x*0=0";
    std::string joined = "0";
    for (int n = 300; n > 0; --n)
        reversed += "; X*" + std::to_string(n) + "=" + std::to_string(n % 10);
    for (int n = 1; n <= 300; ++n)
        joined += std::to_string(n % 10);
    EXPECT_EQ(parse(reversed).get("x"), joined);
    // An escape is whole in its section (RFC 2231 4.1): cut off at the end
    // of one, it stays as it came, as Python reads it.
    EXPECT_EQ(parse("x*0*=utf-8''caf%C3%; x*1*=A9").get("x"), "caf\xC3%A9");
    EXPECT_EQ(parse("x*0*=nocharset; x*1*=abc").get("x"), "");
    // Extended sections after a plain first one name no charset: their
    // escapes give bytes.
    EXPECT_EQ(parse("x*0=a; x*1*=%41%C3%A9; x*2=\"%42\"").get("x"), "aA\xC3\xA9%42");
}

TEST(ParamsTest, SetReplacesOrAppendsValidNames)
{
    Params params = parse("Charset=us-ascii");
    EXPECT_TRUE(params.set("charset", "utf-8"));
    EXPECT_EQ(names(params), (Names{"Charset=utf-8"}));
    EXPECT_TRUE(params.set("format", std::string("flowed")));
    EXPECT_EQ(params.str(false), "; Charset=utf-8; format=flowed");
    for (const char* bad : {"x*0", "x*", "", "a b", "a;b", "a=b"})
        EXPECT_FALSE(params.set(bad, "v")) << bad;
    EXPECT_EQ(params.all().size(), 2u);
}

std::string written(const std::string& value, bool utf8 = false, const char* name = "name")
{
    Params params;
    params.set(name, value);
    return params.str(utf8);
}

TEST(ParamsTest, ValuesAreWrittenBareQuotedOrExtended)
{
    EXPECT_EQ(written("a.b"), "; name=a.b");
    // Bare, a comma would end the value for strict readers.
    EXPECT_EQ(written("a,b"), "; name=\"a,b\"");
    EXPECT_EQ(written("it's"), "; name=\"it's\"");
    EXPECT_EQ(written("say \"hi\""), "; name=\"say \\\"hi\\\"\"");
    EXPECT_EQ(written("caf\xC3\xA9 au lait"), "; name*=utf-8''caf%c3%a9%20au%20lait");
    EXPECT_EQ(written("caf\xC3\xA9", true), "; name*=utf-8''caf%c3%a9");
    // Quoted, it would read as the encoded word it looks like.
    EXPECT_EQ(written("=?utf-8?q?a?="), "; name*=utf-8''%3d%3futf-8%3fq%3fa%3f%3d");
}

/// The lines of a written value, each checked against the limit plus the
/// cost of the section's first byte.
void expectSections(const std::string& text, size_t firstCost)
{
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "; \r");
    size_t count = 0;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.back() == ';') line.pop_back();
        EXPECT_EQ(line.substr(0, 7), " name*" + std::to_string(count)) << line;
        EXPECT_LE(line.size() - 1, 78 + firstCost) << line;
        // No escape is cut at the end of a section.
        size_t percent = line.rfind('%');
        if (percent != std::string::npos)
        {
            EXPECT_LE(percent + 3, line.size()) << line;
        }
        ++count;
    }
    EXPECT_GE(count, 2u);
}

TEST(ParamsTest, LongValuesAreSplitIntoSections)
{
    std::string plain(200, 'x');
    std::string text = written(plain);
    expectSections(text, 1);
    EXPECT_EQ(text.find("name*0=xxx"), 5u);
    EXPECT_EQ(parse(text.substr(2)).get("name"), plain);

    std::string utf8;
    for (int i = 0; i < 40; ++i)
        utf8 += "\xC3\xA9";
    text = written(utf8);
    expectSections(text, 3);
    EXPECT_NE(text.find("name*0*=utf-8''%c3%a9"), std::string::npos);
    EXPECT_NE(text.find("name*1*=%"), std::string::npos);
    EXPECT_EQ(parse(text.substr(2)).get("name"), utf8);

    std::string quoted(150, 'a');
    quoted[70] = '"';
    text = written(quoted);
    expectSections(text, 2);
    EXPECT_EQ(parse(text.substr(2)).get("name"), quoted);
}

TEST(ParamsTest, SectionsStayFewAndBoundariesWhole)
{
    std::string boundary = "=_" + std::string(68, 'b');
    EXPECT_EQ(written(boundary, false, "Boundary"), "; Boundary=\"" + boundary + "\"");
    // Each section repeating a long name for a few value bytes wrote 18 MB.
    std::string name(900, 'n');
    for (const std::string& value : {std::string(20000, 'v'), std::string(20000, ',')})
    {
        std::string text = written(value, false, name.c_str());
        EXPECT_LT(text.size(), 3 * (name.size() + value.size()));
        EXPECT_EQ(parse(text.substr(2)).get(name.c_str()), value);
    }
    std::string text = written(std::string(2000, 'v'), false, std::string(100, 'n').c_str());
    EXPECT_LT(text.size(), 3 * 2100u);
    EXPECT_NE(text.find("n*1="), std::string::npos);
    // Sections near the hard limit: the fold blank, a section's first escape
    // and its ";" still fit within 998.
    std::string utf8;
    for (int i = 0; i < 1000; ++i)
        utf8 += "\xC3\xA9";
    for (size_t length = 470; length <= 500; ++length)
        for (const std::string& value : {std::string(3000, 'v'), utf8})
        {
            text = written(value, false, std::string(length, 'n').c_str());
            if (text.find("n*1") == std::string::npos) continue;
            size_t start = 0;
            for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
                EXPECT_LE(end - start, 998u) << length;
            EXPECT_LE(text.size() - start, 998u) << length;
        }
}

/// Values of every form: plain, quoted, UTF-8 and long enough to split.
std::vector<std::string> randomValues(size_t count)
{
    const std::vector<std::string> pieces = {
        "a",    "Z",    "7",    ".", ",", "-", "_", " ",        "\"",           "\\",
        ";",    "=",    "/",    "'", "%", "*", "(", "\xC3\xA9", "\xE6\xBC\xA2", "\xF0\x9F\x98\x80",
        "file", "name", "x.pdf"};
    std::mt19937 random(20261207);
    std::vector<std::string> values;
    for (size_t i = 0; i < count; ++i)
    {
        size_t length = 1 + random() % (i % 4 == 0 ? 120 : 20);
        std::string value;
        for (size_t j = 0; j < length; ++j)
            value += pieces[random() % pieces.size()];
        values.push_back(value);
    }
    return values;
}

TEST(ParamsTest, WrittenValuesReadBackAsPythonReadsThem)
{
    const char* module = R"(
import email, email.policy
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    params = message['content-type'].params
    return params.get('name', repr(dict(params)) + repr(message['content-type'].defects)).encode('utf-8', 'surrogateescape')
)";
    std::vector<std::string> values = randomValues(200);
    std::vector<std::string> messages;
    for (const std::string& value : values)
    {
        std::string params = written(value);
        Params again = parse(params.substr(2), true);
        EXPECT_EQ(again.get("name"), value) << params;
        messages.push_back("Content-Type: text/plain" + params + "\r\n\r\nbody\r\n");
    }
    std::vector<std::string> read = Filter::Check::python(module, messages);
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(read[i], values[i]) << messages[i];
}

} // namespace
} // namespace Mime
} // namespace Kestrava
