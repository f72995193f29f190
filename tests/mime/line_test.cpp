#include "mime/line.h"

#include "mime/capabilities.h"
#include "filter/string.h"
#include "mime/errors.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace Kestrava
{
namespace Mime
{
namespace
{

using Testing::failureOf;

/// Lines view their text: literals outlive them.
Line line(const char* text)
{
    return Line(text, std::strlen(text));
}

std::string written(const Line& field, const Capabilities& capabilities)
{
    std::string text;
    Filter::String sink(&text);
    size_t count = field.encode(capabilities, &sink, false);
    EXPECT_EQ(count, text.size());
    return text;
}

TEST(LineTest, ALineTakesItsFoldedValueAndItsBreak)
{
    const char* text = "Subject: hi\r\n\r\nbody";
    Line subject = line(text);
    EXPECT_EQ(subject.key().copy(), "Subject");
    EXPECT_EQ(subject.key().valueStart, 9u);
    EXPECT_EQ(subject.value().copy(), "hi");
    EXPECT_EQ(subject.value().consumed, 4u);
    EXPECT_EQ(subject.size, 13u);
    try
    {
        Line(text + 13, 6);
        ADD_FAILURE() << "no empty line";
    }
    catch (const EmptyLine& empty)
    {
        EXPECT_EQ(empty.size, 2u);
        EXPECT_EQ(empty.data, text + 13);
    }

    Line folded = line("Subject: a\r\n b  \r\nX: y");
    EXPECT_EQ(folded.value().copy(), "a\r\n b");
    EXPECT_EQ(folded.size, 18u);
    EXPECT_EQ(line("Subject:\r\nX: y").value().size, 0u);
    EXPECT_EQ(line("X:y").value().copy(), "y");
}

TEST(LineTest, NamesWithoutAColonAreRefused)
{
    auto sizeOf = [](const char* text) -> size_t
    {
        try
        {
            line(text);
        }
        catch (const ParseError& error)
        {
            return error.size;
        }
        return 0;
    };
    EXPECT_EQ(failureOf<ParseError>([] { line("Bad Name: x"); }),
              "Key cannot be retrieved (no colon)");
    EXPECT_EQ(sizeOf("Bad Name: x"), 11u);
    EXPECT_EQ(failureOf<ParseError>([] { line("NoColon\nNext: y"); }), "Missing colon");
    EXPECT_EQ(sizeOf("NoColon\nNext: y"), 8u);
    EXPECT_EQ(failureOf<ParseError>([] { line(" Lead: x"); }),
              "Key cannot be retrieved (no colon)");
    EXPECT_EQ(failureOf<EmptyLine>([] { line("\n"); }), "Empty line");
}

TEST(LineTest, BlanksBeforeTheColonStayWithTheName)
{
    Line spaced = line("Subject \t: x\r\n");
    EXPECT_EQ(spaced.key().copy(), "Subject");
    EXPECT_EQ(spaced.value().copy(), "x");
    EXPECT_EQ(written(spaced, Capabilities::standard()), "Subject \t: x\r\n");
}

TEST(LineTest, AsciiLinesAreWrittenRawWithCrLf)
{
    EXPECT_EQ(written(line("Subject:   hi\n"), Capabilities::standard()), "Subject:   hi\r\n");
    EXPECT_EQ(written(line("X-A: a\r b\n"), Capabilities::standard()), "X-A: a\r\n b\r\n");
    EXPECT_EQ(written(line("To: a\n\tb\n"), Capabilities::utf8()), "To: a\r\n\tb\r\n");
    // The last line of a text may lack its break.
    EXPECT_EQ(written(line("Subject: hi"), Capabilities::standard()), "Subject: hi\r\n");
}

TEST(LineTest, NonAsciiSubjectsAreEncodedForSevenBitReceivers)
{
    Line subject = line("Subject: caf\xC3\xA9");
    EXPECT_EQ(written(subject, Capabilities::standard()), "Subject: =?utf-8?q?caf=C3=A9?=\r\n");
    EXPECT_EQ(written(subject, Capabilities::utf8()), "Subject: caf\xC3\xA9\r\n");
    Line custom = line("X-Note: =?iso-8859-1?q?caf=E9?= cr\xC3\xA8me");
    EXPECT_EQ(written(custom, Capabilities::standard()),
              "X-Note: =?utf-8?q?caf=C3=A9_cr=C3=A8me?=\r\n");
    // Words in an unknown charset are kept as they are.
    EXPECT_EQ(written(line("Subject: =?x-none?q?a?= \xC3\xA9"), Capabilities::standard()),
              "Subject: =?utf-8?q?=3D=3Fx-none=3Fq=3Fa=3F=3D_=C3=A9?=\r\n");
}

TEST(LineTest, NarrowReceiversGetFoldedLines)
{
    Capabilities narrow(false, false, Filter::BufferSize(998, 20));
    EXPECT_EQ(written(line("Comments: one two three four five\r\n"), narrow),
              "Comments: one two\r\n three four five\r\n");
    Capabilities rewrite(true, true, Filter::BufferSize(998, 78));
    EXPECT_EQ(written(line("Comments:   a    b\r\n"), rewrite), "Comments:   a b\r\n");
}

TEST(LineTest, CopiesKeepTheirOwnKey)
{
    Line original = line("Subject: one");
    Line copy = original;
    copy = line("X-Other: two");
    EXPECT_EQ(copy.value().key, &copy.key());
    EXPECT_EQ(copy.value().key->copy(), "X-Other");
    Line again(original);
    EXPECT_EQ(again.value().key, &again.key());
    EXPECT_TRUE(again.valid());
}

} // namespace
} // namespace Mime
} // namespace Kestrava
