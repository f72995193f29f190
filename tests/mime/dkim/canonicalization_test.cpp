#include "mime/dkim/canonicalizedbody.h"

#include "mime/dkim/algorithm.h"
#include "mime/dkim/bodyhash.h"
#include "mime/dkim/canonicalizedheader.h"
#include "mime/dkim/nakedsignature.h"
#include "mime/object.h"
#include "tests/mime/support/keyrecords.h"

#include <gtest/gtest.h>

#include <string>

using namespace Kestrava::Mime;

namespace
{

std::string canonical(const std::string& body, bool simple)
{
    return CanonicalizedBody(String(body.data(), body.size()), simple).text();
}

std::string hashOf(const std::string& message, bool simple, size_t length = BodyHash::whole)
{
    Object object(message.data(), message.size());
    return BodyHash(CanonicalizedBody(object.body, simple), Algorithm("rsa-sha256"), length).text;
}

TEST(CanonicalizationTest, BodyHashesOfKnownTexts)
{
    std::string example = Kestrava::Test::vector("rfc6376.msg");
    EXPECT_EQ(hashOf(example, true), "4bLNXImK9drULnmePzZNEBleUanJCX5PIsDIFoH4KTQ=");
    EXPECT_EQ(hashOf(example, false), "2jUSOH9NhtVGCQWNr9BrIAPreKQjO6Sn7XIkfJVOzv8=");
    std::string empty = "From: a@b.c\r\n\r\n";
    EXPECT_EQ(hashOf(empty, true), "frcCV1k9oG9oKj3dpUqdJg1PxRT2RSN/XKdLCPjaYaY=");
    EXPECT_EQ(hashOf(empty, false), "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
    std::string signature = "From: a@b.c\r\n\r\nHi.\r\n-- \r\nJoe\r\n";
    EXPECT_EQ(hashOf(signature, false), "TuAaq64uqMlPumvXboJJLH3y1O50C4XsoSkGBN4f3m4=");
    // l=0 covers nothing: the digest of no bytes; past the body is refused.
    EXPECT_EQ(hashOf(signature, false, 0), hashOf(empty, false));
    EXPECT_THROW(hashOf(signature, false, 1000), std::length_error);
    EXPECT_EQ(
        BodyHash(CanonicalizedBody(String("x", 1), true), Algorithm("RSA-SHA512")).text.size(),
        88u);
}

TEST(CanonicalizationTest, BodiesSimpleAndRelaxed)
{
    EXPECT_EQ(canonical("", true), "\r\n");
    EXPECT_EQ(canonical("", false), "");
    EXPECT_EQ(canonical("abc\r\n\r\n\r\n", true), "abc\r\n");
    EXPECT_EQ(canonical("abc", false), "abc\r\n");
    EXPECT_EQ(canonical("a \t b  \r\n", false), "a b\r\n");
    EXPECT_EQ(canonical("a \t b  \r\n", true), "a \t b  \r\n");
    EXPECT_EQ(canonical("abc\r\n  \r\n", false), "abc\r\n");
    EXPECT_EQ(canonical("abc\n\n x\n", false), "abc\r\n\r\n x\r\n");
}

TEST(CanonicalizationTest, HeadersSimpleAndRelaxed)
{
    std::string text = "Subject :   Hello\r\n  World  \r\nTo: b@c.d\r\n\r\n";
    Object message(text.data(), text.size());
    CanonicalizedHeader relaxed(Capabilities::utf8(), false);
    relaxed.add(message.header.line(0));
    relaxed.add(message.header.line(1));
    EXPECT_EQ(relaxed.output, "subject:Hello World\r\nto:b@c.d");
    CanonicalizedHeader simple(Capabilities::utf8(), true);
    simple.add(message.header.line(0));
    simple.add(message.header.line(1));
    EXPECT_EQ(simple.output, "Subject :   Hello\r\n  World  \r\nTo: b@c.d");
    EXPECT_EQ(simple.fields.names, (std::vector<std::string>{"Subject", "To"}));
    // Only CR LF before white space unfolds; a lone CR or LF is text.
    std::string field = "A: x\r\n\ty\rz\nw";
    EXPECT_EQ(CanonicalizedHeader::relaxed(field.data(), field.size()), "a:x y\rz\nw");
    // Folding white space may stand between a tag name and its "=".
    EXPECT_EQ(NakedSignature("v=1; b =abc; bh=x", 17).text, "v=1; b =; bh=x");
    EXPECT_EQ(NakedSignature("b\r\n =a\r\n b; bh=x", 16).text, "b\r\n =; bh=x");
    EXPECT_THROW(Algorithm("rsa-md5"), std::runtime_error);
    EXPECT_THROW(Algorithm(""), std::runtime_error);
}

} // namespace
