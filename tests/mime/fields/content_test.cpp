#include "mime/fields/contenttype.h"

#include "mime/capabilities.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contentid.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/header.h"
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

/// Types view their text: literals outlive them.
ContentType type(const char* text, bool strict = false)
{
    return ContentType(text, std::strlen(text), strict);
}

std::string typeFailure(const char* text, bool strict = false)
{
    return failureOf([&] { type(text, strict); });
}

TEST(ContentTest, TypesSplitIntoMainTypeSubtypeAndParameters)
{
    ContentType plain = type("text/plain;charset=utf-8");
    EXPECT_TRUE(plain.type().main("TEXT"));
    EXPECT_TRUE(plain.type().sub("plain"));
    EXPECT_TRUE(plain.type().equals(std::string("Text/Plain")));
    EXPECT_FALSE(plain.type().main("tex"));
    EXPECT_EQ(plain.params().get("charset"), "utf-8");
    EXPECT_EQ(plain.str(false), "text/plain; charset=utf-8");
    EXPECT_EQ(type("  image/png").type().consumed(), 11u);
}

TEST(ContentTest, BlanksMayFollowTheTypeButNotSplitIt)
{
    ContentType spaced = type("text/plain ; charset=utf-8");
    EXPECT_TRUE(spaced.type().sub("plain"));
    EXPECT_EQ(spaced.params().get("charset"), "utf-8");
    EXPECT_TRUE(type("multipart/mixed (c) ; boundary=x", true).type().main("multipart"));
    EXPECT_TRUE(type("text/plain  ").type().sub("plain"));
    EXPECT_EQ(typeFailure("text/ ;a=b"), "no subtype in content-type");
    EXPECT_EQ(typeFailure("text/ plain"), "invalid content-type");
    EXPECT_EQ(typeFailure("text /plain"), "invalid content-type");
    EXPECT_EQ(typeFailure("text/pl ain"), "invalid content-type");
    EXPECT_EQ(typeFailure("text/pl\xC3\xA4in"), "invalid content-type");
}

TEST(ContentTest, BrokenTypesFailWithTheirReason)
{
    EXPECT_EQ(typeFailure("  "), "no maintype in content-type");
    EXPECT_EQ(typeFailure(";"), "no subtype in content-type");
    EXPECT_EQ(typeFailure("text/"), "no subtype in content-type");
    EXPECT_EQ(typeFailure("text"), "no subtype in content-type");
    EXPECT_EQ(typeFailure("a/b/c"), "only one slash can be used in a content-type");
    EXPECT_EQ(typeFailure("multipart/mixed"), "");
    EXPECT_EQ(typeFailure("multipart/mixed", true),
              "boundary missing for content-type: multipart/mixed");
    EXPECT_EQ(typeFailure("multipart/mixed; boundary=\"a b\"", true), "");
}

TEST(ContentTest, DefaultNamesFollowTheType)
{
    EXPECT_STREQ(type("image/JPEG").defaultName(), "image.jpg");
    EXPECT_STREQ(type("image/jpg").defaultName(), "image.jpg");
    EXPECT_STREQ(type("TEXT/html").defaultName(), "index.html");
    EXPECT_STREQ(type("text/text").defaultName(), "index.txt");
    EXPECT_STREQ(type("application/x-zip-compressed").defaultName(), "compressed.zip");
    EXPECT_STREQ(type("image/svg+xml").defaultName(), "image.svg");
    EXPECT_EQ(type("text/plain").defaultName(), nullptr);
    EXPECT_EQ(type("image/jpegx").defaultName(), nullptr);
}

TEST(ContentTest, DispositionsTakeLettersDigitsAndHyphens)
{
    std::string text = "  attachment; filename=\"a b.txt\"";
    ContentDisposition attachment(text.data(), text.size());
    EXPECT_EQ(std::string(attachment.setting().data(), attachment.setting().size()), "attachment");
    EXPECT_EQ(attachment.params().get("filename"), "a b.txt");
    EXPECT_EQ(attachment.str(false), "attachment; filename=\"a b.txt\"");
    std::string spaced = "inline ; filename=x";
    EXPECT_EQ(ContentDisposition(spaced.data(), spaced.size()).params().get("filename"), "x");
    for (const char* bad : {"attach ment", "attach/ment; a=b"})
        EXPECT_EQ(failureOf([&] { ContentDisposition(bad, std::strlen(bad)); }),
                  "invalid content-disposition")
            << bad;
    for (const char* empty : {"", "  ", "; a=b"})
        EXPECT_EQ(failureOf([&] { ContentDisposition(empty, std::strlen(empty)); }),
                  "no content-disposition value");
}

TEST(ContentTest, ContentIdsKeepTheirBrackets)
{
    std::string text = "  <a.b@c> more";
    EXPECT_EQ(ContentID(text.data(), text.size()).id(), "<a.b@c>");
    for (const char* bad : {"a@b", "", "   ", "<a@b"})
        EXPECT_EQ(failureOf([&] { ContentID(bad, std::strlen(bad)); }),
                  std::string("Invalid content-id: ") + bad);
}

TEST(ContentTest, TransferEncodingsAreOneOfFiveNames)
{
    auto parse = [](const std::string& text)
    { return ContentTransferEncoding::parse(text.data(), text.size()); };
    EXPECT_EQ(parse(" BASE64 "), ContentTransferEncoding::base64);
    EXPECT_EQ(parse("Quoted-Printable"), ContentTransferEncoding::quotedPrintable);
    EXPECT_EQ(parse("8bit\r\n"), ContentTransferEncoding::eightBit);
    EXPECT_EQ(parse("7BIT"), ContentTransferEncoding::sevenBit);
    EXPECT_EQ(parse("binary"), ContentTransferEncoding::binary);
    EXPECT_EQ(failureOf([&] { parse("base64x"); }), "unknown transfer encoding");
    EXPECT_EQ(failureOf([&] { parse("bas"); }), "unknown transfer encoding");

    Header header;
    EXPECT_EQ(ContentTransferEncoding::extract(header), ContentTransferEncoding::sevenBit);
    header.append("Content-Transfer-Encoding", " Base64");
    EXPECT_EQ(ContentTransferEncoding(header).value, ContentTransferEncoding::base64);
    header.set("content-transfer-encoding", "x-unknown");
    EXPECT_EQ(ContentTransferEncoding(&header).value, ContentTransferEncoding::sevenBit);
    EXPECT_EQ(ContentTransferEncoding(static_cast<const Header*>(nullptr)).value,
              ContentTransferEncoding::sevenBit);
}

TEST(ContentTest, LongTypesFoldUnderLineControl)
{
    std::string text =
        "multipart/mixed; boundary=\"" + std::string(60, 'b') + "\"; a=" + std::string(30, 'c');
    Header header;
    header.set(ContentType(text.data(), text.size(), false));
    std::string written = header.str(false);
    EXPECT_EQ(written, "Content-Type: multipart/mixed;\r\n boundary=" + std::string(60, 'b') +
                           ";\r\n a=" + std::string(30, 'c') + "\r\n\r\n");
    EXPECT_TRUE(header.multipart());
}

} // namespace
} // namespace Mime
} // namespace Kestrava
