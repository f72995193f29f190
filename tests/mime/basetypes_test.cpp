#include "mime/capabilities.h"

#include "mime/fields/contenttransferencoding.h"
#include "mime/fields/contentid.h"
#include "mime/errors.h"
#include "mime/key.h"

#include <gtest/gtest.h>

#include <string>

namespace Kestrava
{
namespace Mime
{
namespace
{

TEST(BaseTypesTest, KeysMatchByLengthIgnoringCase)
{
    EXPECT_TRUE(Key("Content-Type").matches({"from", "content-type"}));
    EXPECT_FALSE(Key("Content-Type").matches({}));
    EXPECT_FALSE(Key("Content-Type ").matches({"from", "content-type"}));
    EXPECT_FALSE(Key("Subj").matches({"subject"}));
    EXPECT_TRUE(Key("SUBJECT") == "subject");
    // Views need no NUL: the length decides.
    EXPECT_TRUE(Key("subjectXYZ", 7) == "Subject");
}

TEST(BaseTypesTest, SevenBitReceiversTakeOnlyTheSevenBitEncodings)
{
    const char* names[] = {"quoted-printable", "base64", "8bit", "7bit", "binary"};
    bool sevenBit[] = {true, true, false, true, false};
    for (int code = 0; code < 5; ++code)
    {
        ContentTransferEncoding encoding(code);
        EXPECT_EQ(encoding.str(false), names[code]);
        EXPECT_EQ(Capabilities::standard().compatible(encoding), sevenBit[code]) << names[code];
        EXPECT_TRUE(Capabilities::utf8().compatible(encoding)) << names[code];
    }
    EXPECT_EQ(ContentTransferEncoding(9).str(true), "unknown");
}

TEST(BaseTypesTest, SharedCapabilitiesHaveTheMessageLineLimits)
{
    EXPECT_FALSE(Capabilities::standard().allowsUtf8);
    EXPECT_TRUE(Capabilities::utf8().allowsUtf8);
    for (const Capabilities* capabilities : {&Capabilities::standard(), &Capabilities::utf8()})
    {
        EXPECT_FALSE(capabilities->rewrite);
        EXPECT_EQ(capabilities->sizes, Filter::BufferSize(998, 78));
    }
    EXPECT_EQ(&Capabilities::standard(), &Capabilities::standard());
}

TEST(BaseTypesTest, EmptyLineCoversTheBytesUpToTheLineFeed)
{
    const char text[] = "\r\nmore\n";
    EXPECT_EQ(EmptyLine(text, 7).size, 2u);
    EXPECT_EQ(EmptyLine("\nx", 2).size, 1u);
    EXPECT_EQ(EmptyLine("abc", 3).size, 3u);
    EXPECT_EQ(EmptyLine("", 0).size, 0u);
    EXPECT_STREQ(EmptyLine(text, 7).what(), "Empty line");
    EXPECT_EQ(EmptyLine(text, 7).data, text);
}

TEST(BaseTypesTest, TheStringConversionWritesForAUtf8Receiver)
{
    ContentID id(" <a@b> trailing", 15);
    EXPECT_EQ(id.str(false), "<a@b>");
    EXPECT_EQ(static_cast<std::string>(id), id.str(true));
}

} // namespace
} // namespace Mime
} // namespace Kestrava
