#include "openssl/pattern.h"

#include "dns/hostname/hostname.h"

#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using Kestrava::Dns::Hostname;
using Kestrava::OpenSSL::Pattern;
using Testing::failureOf;

namespace
{

bool matches(const char* pattern, const char* host)
{
    return Pattern(pattern).match(Hostname(host, false));
}

std::string refusal(const char* pattern)
{
    return failureOf<std::invalid_argument>([&] { Pattern refused(pattern); });
}

std::string noOrganization(const char* pattern)
{
    return failureOf([&] { Pattern refused(pattern); });
}

} // namespace

TEST(PatternTest, LoneWildcardStandsForExactlyOneLabel)
{
    EXPECT_TRUE(matches("*.example.com", "www.example.com"));
    EXPECT_TRUE(matches("*.example.com", "WWW.Example.COM"));
    EXPECT_TRUE(matches("*.EXAMPLE.com", "mail.example.com"));
    EXPECT_FALSE(matches("*.example.com", "example.com"));
    EXPECT_FALSE(matches("*.example.com", "a.b.example.com"));
    EXPECT_FALSE(matches("*.example.com", "www.example.org"));
    EXPECT_FALSE(matches("*.example.com", "www"));
    EXPECT_FALSE(matches("*.example.com", ".example.com"));
    EXPECT_TRUE(matches("*.example.co.uk", "shop.example.co.uk"));
}

TEST(PatternTest, PartialWildcardsNeedOneByteMore)
{
    EXPECT_TRUE(matches("w*.example.com", "www.example.com"));
    EXPECT_TRUE(matches("w*.example.com", "Wa.example.com"));
    EXPECT_FALSE(matches("w*.example.com", "w.example.com"));
    EXPECT_FALSE(matches("w*.example.com", "aw.example.com"));

    EXPECT_TRUE(matches("*w.example.com", "aw.example.com"));
    EXPECT_TRUE(matches("*w.example.com", "wW.example.com"));
    EXPECT_FALSE(matches("*w.example.com", "w.example.com"));
    EXPECT_FALSE(matches("*w.example.com", "wa.example.com"));

    EXPECT_TRUE(matches("a*z.example.com", "abz.example.com"));
    EXPECT_TRUE(matches("a*z.example.com", "a-long-z.example.com"));
    EXPECT_FALSE(matches("a*z.example.com", "az.example.com"));
    EXPECT_FALSE(matches("a*z.example.com", "abc.example.com"));
    EXPECT_FALSE(matches("a*z.example.com", "zbz.example.com"));
    EXPECT_FALSE(matches("a*z.example.com", "abz.www.example.com"));
}

TEST(PatternTest, PlainNamesMatchIgnoringCase)
{
    EXPECT_TRUE(matches("www.example.com", "WWW.EXAMPLE.com"));
    EXPECT_FALSE(matches("www.example.com", "example.com"));
    EXPECT_FALSE(matches("www.example.com", "a.www.example.com"));
    // A bare machine name needs no public suffix.
    EXPECT_TRUE(matches("printer", "PRINTER"));
    EXPECT_FALSE(matches("printer", "printer.example.com"));
    EXPECT_FALSE(matches("printer", "printers"));
}

TEST(PatternTest, EmptyHostMatchesNothing)
{
    EXPECT_FALSE(Pattern("*.example.com").match(Hostname(nullptr, false)));
    EXPECT_FALSE(Pattern("printer").match(Hostname(nullptr, false)));
    EXPECT_FALSE(Pattern("printer").match(Hostname("", false)));
    EXPECT_FALSE(Pattern("").match(Hostname("", false)));
}

TEST(PatternTest, UnicodeAndAsciiFormsMatchAlike)
{
    EXPECT_TRUE(matches("*.bücher.de", "www.xn--bcher-kva.de"));
    EXPECT_TRUE(matches("*.xn--bcher-kva.de", "www.bücher.de"));
    EXPECT_TRUE(matches("xn--bcher-kva.de", "bücher.de"));
    EXPECT_TRUE(matches("*.пример.рф", "www.xn--e1afmkfd.xn--p1ai"));
    EXPECT_TRUE(matches("w*.xn--e1afmkfd.xn--p1ai", "www.пример.рф"));
    EXPECT_FALSE(matches("*.bücher.de", "www.bucher.de"));
}

TEST(PatternTest, WildcardsOutsideTheFirstLabelAreRefused)
{
    EXPECT_EQ(refusal("a.*.example.com"), "invalid pattern");
    EXPECT_EQ(refusal("*.*.example.com"), "invalid pattern");
    EXPECT_EQ(refusal("w**.example.com"), "invalid pattern");
    EXPECT_EQ(refusal("www.example.*"), "invalid pattern");
}

TEST(PatternTest, WildcardsDirectlyOverAPublicSuffixAreRefused)
{
    EXPECT_EQ(refusal("*.com"), "invalid pattern");
    EXPECT_EQ(refusal("*.co.uk"), "invalid pattern");
    EXPECT_EQ(refusal("w*.com"), "invalid pattern");
    EXPECT_EQ(refusal("*.xn--p1ai"), "invalid pattern");
    EXPECT_EQ(refusal("*.рф"), "invalid pattern");
}

TEST(PatternTest, PublicSuffixesThemselvesHaveNoOrganization)
{
    EXPECT_EQ(noOrganization("co.uk"), "No organization found");
    EXPECT_EQ(noOrganization("www.example..com"), "No organization found");
    EXPECT_EQ(noOrganization("*"), "No organization found");
}
