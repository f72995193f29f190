#include "mime/dkim/dkimtags.h"

#include "mime/dkim/dkimsignature.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

using namespace Kestrava::Mime;

namespace
{

/// The value of one tag read strictly, or the error text.
std::string value(const std::string& name, const std::string& text)
{
    try
    {
        std::string output;
        DkimTagValue tag(name, output, text.data(), text.size(), true);
        return output;
    }
    catch (const std::exception& error)
    {
        return std::string("error: ") + error.what();
    }
}

std::string tagName(const std::string& text)
{
    std::string output;
    DkimTagName name(output, text.data(), text.size());
    return output;
}

std::string parsed(const std::string& text, bool strict)
{
    try
    {
        return DkimSignature(text.data(), text.size(), strict, false).str(true);
    }
    catch (const std::exception& error)
    {
        return std::string("error: ") + error.what();
    }
}

/// Whether a value that parses strictly is written so that it reads back
/// to the same tags, h= names and z= copies (a refused value passes).
bool readsBack(const std::string& text)
{
    try
    {
        DkimSignature signature(text.data(), text.size(), true, false);
        std::string written = signature.str(true);
        DkimSignature again(written.data(), written.size(), true, false);
        return again.tags() == signature.tags() &&
               again.copiedHeaders() == signature.copiedHeaders() &&
               again.headers().names == signature.headers().names;
    }
    catch (const std::runtime_error&)
    {
        return true;
    }
}

TEST(DkimTagsTest, NamesAndValuesFollowTheirGrammars)
{
    EXPECT_EQ(tagName("bh="), "bh");
    EXPECT_EQ(tagName("b_h"), "b_h");
    EXPECT_EQ(tagName("foo_1"), "foo_1");
    EXPECT_EQ(tagName("1a"), "");

    EXPECT_EQ(value("v", "01"), "01");
    EXPECT_EQ(value("v", ""), "error: version can not be empty");
    EXPECT_EQ(value("t", ""), "");
    // 64 bits: past 2038 and past 32 bits; 13 digits are too many.
    EXPECT_EQ(value("t", "4294967296"), "4294967296");
    EXPECT_EQ(value("x", "99999999999"), "99999999999");
    EXPECT_EQ(value("t", "1234567890123"), "error: timestamp is too long");
    EXPECT_EQ(value("l", std::string(40, '9')), "error: length count is too long");
    EXPECT_EQ(value("l", "0"), "0");

    EXPECT_EQ(value("a", "rsa-sha256"), "rsa-sha256");
    EXPECT_EQ(value("a", "ed25519-sha256"), "ed25519-sha256");
    EXPECT_EQ(value("a", "rsa"), "error: missing -");
    EXPECT_EQ(value("a", "rsa-1x"), "error: invalid algorithm");
    EXPECT_EQ(value("a", "rsa-"), "error: invalid algorithm");
    EXPECT_EQ(value("a", "1sa-sha1"), "error: invalid algorithm");

    EXPECT_EQ(value("c", "relaxed/simple"), "relaxed/simple");
    EXPECT_EQ(value("c", "relaxed-/simple"), "relaxed");
    EXPECT_EQ(value("i", "@example.com"), "@example.com");
    EXPECT_EQ(value("i", "joe@mail.example.com"), "joe@mail.example.com");
    EXPECT_EQ(value("i", "example.com"), "error: missing @");
    EXPECT_EQ(value("i", "@com"), "error: invalid domain part");
    EXPECT_EQ(value("s", "a.b"), "a.b");
    EXPECT_EQ(value("s", "a."), "error: invalid selector");
    EXPECT_EQ(value("s", ".a"), "error: invalid selector");
    EXPECT_EQ(value("q", "dns/txt"), "dns/txt");
    EXPECT_EQ(value("q", "dns/a=3Ab"), "dns/a:b");
    EXPECT_EQ(value("q", "a : b"), "a:b");
    EXPECT_EQ(value("b", "ab\r\n cd ="), "ab\r\n cd =");
    EXPECT_EQ(value("b", ""), "error: invalid base64 string");
}

TEST(DkimTagsTest, CopiedHeaderFieldsDecodeTheirEscapes)
{
    std::vector<std::string> fields;
    std::string text = "From:a=7Cb|Subject:x=20y";
    DkimCopiedHeaderFields list(fields, text.data(), text.size());
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0], "From:a|b");
    EXPECT_EQ(fields[1], "Subject:x y");
    // Blanks inside a copy are folding white space; a raw 8-bit byte ends it.
    std::string blank = "From:a\x80Subject:b";
    EXPECT_EQ(
        Testing::failureOf([&] { DkimCopiedHeaderFields(fields, blank.data(), blank.size()); }),
        "missing |");
    std::string colonless = "From";
    EXPECT_EQ(Testing::failureOf(
                  [&] { DkimCopiedHeaderFields(fields, colonless.data(), colonless.size()); }),
              "missing :");
}

TEST(DkimSignatureTest, StrictAndLenientReadingsOfOddValues)
{
    EXPECT_EQ(parsed("", false), "");
    EXPECT_EQ(parsed("", true), "error: header is incomplete");
    EXPECT_EQ(parsed("v=1; v=1", false), "error: duplicate names");
    // Verifiers must not disagree on which of two h= lists counts.
    const char* const complete = "v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BB; ";
    for (bool strict : {true, false})
    {
        EXPECT_EQ(parsed(complete + std::string("h=From; h=To"), strict), "error: duplicate names");
        EXPECT_EQ(parsed(complete + std::string("h=From; z=From:a; z=To:b"), strict),
                  "error: duplicate names");
    }
    // Tags a reader does not know are ignored, in strict reading too.
    EXPECT_EQ(parsed(complete + std::string("h=From; r=y; vendor_1=a:b"), true),
              "v=1; a=rsa-sha256; d=example.com; s=sel; bh=AAAA; b=BB; h=From; r=y; vendor_1=a:b");
    EXPECT_EQ(parsed("v=1; a; d=example.com", false), "v=1; d=example.com");
    EXPECT_EQ(parsed("v=x; a=rsa-sha256", true), "error: dkim header is invalid");
    EXPECT_EQ(parsed("v", true), "error: missing =");
    // A tag needs a name: "=x" is no tag.
    EXPECT_EQ(parsed("v=1; =x; d=example.com", true), "error: dkim header is invalid");
    EXPECT_EQ(parsed("v=1; =x; d=example.com", false), "v=1; d=example.com");
    EXPECT_EQ(parsed("v=1 a=rsa-sha256", true), "error: missing ;");
    EXPECT_EQ(parsed("v=1 a=b", false), "v=1 a=b");
    EXPECT_EQ(parsed("v=1; d=example.com; b", false), "v=1; d=example.com");
}

TEST(DkimSignatureTest, TwoZTagsAndAQuotedFieldNameReadBack)
{
    // Found by the fuzzer: the second z= was kept and both were written
    // with every copy, so that the text read back held each copy twice.
    std::string repeated = "v=1; a=rsa-sha256; c=relaxed/simple; d=example.com; s=sel; "
                           "h=From\": To; z=Subject:a=66: T'o; z=Subject:a=20b|To:x; "
                           "q=dns/tx\"tl;=mple.com; bh=AAAA; b=BB\r\n BB=";
    EXPECT_TRUE(readsBack(repeated));
    EXPECT_EQ(parsed(repeated, true), "error: duplicate names");
    EXPECT_EQ(parsed(repeated, false), "error: duplicate names");
    // A quoted name in h= is a field name like any other.
    EXPECT_EQ(parsed("v=1; h=From\":To; d=example.com", false), "v=1; h=From\":To; d=example.com");
}

TEST(DkimSignatureTest, WritingKeepsTheOrderAndEscapesWhatMayNotStandRaw)
{
    std::string text = "v=1; a=rsa-sha256; d=example.com; s=sel; h=From : To:\r\n Subject; "
                       "z=Subject:a=20b=3Bc=3Dd=7Ce|To:x; q=dns/txt; bh=AAAA; b=BB\r\n BB";
    DkimSignature signature(text.data(), text.size(), true, false);
    std::string out = signature.str(true);
    EXPECT_EQ(out, "v=1; a=rsa-sha256; d=example.com; s=sel; h=From:To:Subject; "
                   "z=Subject:a=20b=3Bc=3Dd=7Ce|To:x; q=dns/txt; bh=AAAA; b=BB\r\n BB");
    DkimSignature again(out.data(), out.size(), true, false);
    EXPECT_EQ(again.tags(), signature.tags());
    EXPECT_EQ(again.copiedHeaders(), signature.copiedHeaders());
    EXPECT_EQ(signature.copiedHeaders()[0], "Subject:a b;c=d|e");
    EXPECT_EQ(signature.auid(), "@example.com");

    // The identity is read without a trailing ";" too.
    std::string bad = "v=1; a=rsa-sha256; d=example.com; s=sel; h=from; bh=AA; b=BB; i=@x.org";
    EXPECT_EQ(DkimSignature(bad.data(), bad.size(), true, false).auid(), "@x.org");

    DkimSignature twice;
    twice.headers("from:to:to", 10, true);
    EXPECT_EQ(twice.headers().names, (std::vector<std::string>{"from", "from", "to", "to", "to"}));
    DkimSignature wide;
    std::string names;
    for (int i = 0; i < 12; ++i)
        names += (i ? ":" : "") + std::string("content-type");
    wide.headers(names.data(), names.size(), false);
    std::string list = wide.str(true);
    EXPECT_NE(list.find(" content-type"), std::string::npos) << list;
}

} // namespace
