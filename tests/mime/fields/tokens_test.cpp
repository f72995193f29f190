#include "mime/fields/atom.h"

#include "dns/exception/gaiexception.h"
#include "mime/capabilities.h"
#include "mime/fields/comment.h"
#include "mime/fields/displayname.h"
#include "mime/fields/domainpart.h"
#include "mime/fields/formatting.h"
#include "mime/fields/internal.h"
#include "mime/fields/localpart.h"
#include "mime/fields/quotedstring.h"
#include "mime/fields/whitespace.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <string>

namespace Kestrava
{
namespace Mime
{
namespace
{

using Testing::failureOf;

template <typename Token> size_t consumed(const std::string& text)
{
    return Token(text.data(), text.size()).consumed();
}

template <typename Token> std::string failure(const std::string& text)
{
    return failureOf([&] { Token token(text.data(), text.size()); });
}

TEST(TokensTest, CommentsNestAndEscape)
{
    EXPECT_EQ(consumed<Comment>("(a(b)c)x"), 7u);
    EXPECT_EQ(consumed<Comment>("(a\\)b)"), 6u);
    EXPECT_EQ(consumed<Comment>("abc"), 0u);
    EXPECT_EQ(failure<Comment>("(abc"), "unfinished comment");
    EXPECT_EQ(failure<Comment>("(ab\\"),
              "invalid comment (escaped character missing after backslash)");
    EXPECT_EQ(Whitespace(" (a) \t(b)x", 10, true).consumed(), 9u);
    EXPECT_EQ(Whitespace(" (a) x", 6, false).consumed(), 1u);
}

TEST(TokensTest, QuotedStringsAreUnquotedAndUnfolded)
{
    QuotedString escaped("\"a\\\"b\"", 6);
    EXPECT_EQ(escaped.text(), "a\"b");
    EXPECT_EQ(escaped.consumed(), 6u);
    EXPECT_FALSE(escaped.nonAscii());
    EXPECT_EQ(QuotedString("\"a\r\n b\"", 7).text(), "a b");
    // Unfolded first: a fold after a backslash leaves it the blank to escape.
    EXPECT_EQ(QuotedString("\"a \\\r\n b\"", 9).text(), "a  b");
    EXPECT_EQ(QuotedString("\"a\tb\"", 5).text(), "a b");
    EXPECT_TRUE(QuotedString("\"caf\xC3\xA9\"", 7).nonAscii());
    EXPECT_EQ(consumed<QuotedString>("abc"), 0u);
    EXPECT_EQ(failure<QuotedString>("\"abc"), "unfinished quoted string");
    EXPECT_EQ(failure<QuotedString>("\"ab\\"),
              "invalid quoted string (escaped character missing after backslash)");
}

TEST(TokensTest, AtomsCarryTheirCfws)
{
    std::string text = " (c) john.smith";
    Atom atom(text.data(), text.size(), true);
    EXPECT_EQ(atom.leading(), 5u);
    EXPECT_EQ(atom.text().copy(), "john");
    EXPECT_EQ(atom.trailing(), 0u);
    EXPECT_EQ(atom.consumed(), 9u);
    Atom bracket("<x>", 3, true);
    EXPECT_EQ(bracket.consumed(), 0u);
    EXPECT_EQ(bracket.text().size, 0u);
    Atom trailing("ab (x) c", 8, true);
    EXPECT_EQ(trailing.trailing(), 5u);
    EXPECT_FALSE(Atom("caf\xC3\xA9", 5, false).ascii());
    EXPECT_EQ(Atom("a\0b", 3, false).consumed(), 1u);
}

TEST(TokensTest, FormattingTellsWhichBareFormsATextTakes)
{
    struct Case
    {
        std::string text;
        bool ascii, atom, phrase, param, dotted;
    };
    const Case cases[] = {
        {"", true, true, true, true, true},
        {"a.b", true, false, false, true, true},
        {".a", true, false, false, true, false},
        {"a..b", true, false, false, true, false},
        {"a.", true, false, false, true, false},
        {"a b", true, false, true, false, false},
        {"a,b", true, false, false, true, false},
        {"a=b", true, true, true, false, true},
        {"a/b?", true, true, true, false, true},
        {"caf\xC3\xA9", false, true, true, true, true},
        {"a\tb", false, false, false, false, false},
        {"a@b", true, false, false, false, false},
        {"~`!#$%^&*-_+{}|'", true, true, true, true, true},
    };
    for (const Case& c : cases)
    {
        Formatting formatting(c.text.data(), c.text.size());
        EXPECT_EQ(formatting.ascii(), c.ascii && c.text.find('\t') == std::string::npos) << c.text;
        EXPECT_EQ(formatting.atom(), c.atom) << c.text;
        EXPECT_EQ(formatting.phrase(), c.phrase) << c.text;
        EXPECT_EQ(formatting.param(), c.param) << c.text;
        EXPECT_EQ(formatting.dottedatom(), c.dotted) << c.text;
    }
}

DisplayName name(const std::string& text)
{
    return DisplayName(text.data(), text.size());
}

TEST(TokensTest, DisplayNamesJoinTheirWords)
{
    EXPECT_EQ(name("John (x) Smith <").text(), "John Smith");
    EXPECT_EQ(name("John (x) Smith <").consumed(), 15u);
    DisplayName quoted = name("\"Smith, John\" <");
    EXPECT_EQ(quoted.text(), "Smith, John");
    EXPECT_EQ(quoted.consumed(), 14u);
    EXPECT_EQ(name("=?utf-8?q?caf=C3=A9?= =?utf-8?q?=5Fbar?= <").text(), "caf\xC3\xA9_bar");
    EXPECT_EQ(name("x =?utf-8?q?a?= y").text(), "x a y");
    EXPECT_EQ(name("J. Smith").text(), "J. Smith");
    EXPECT_EQ(name("<").text(), "");
    EXPECT_EQ(name("<").consumed(), 0u);
    // Any run of words and quoted strings, also after blanks.
    EXPECT_EQ(name("\"A\" \"B\" <x@y>").text(), "A B");
    EXPECT_EQ(name("  \"Ann\" <x@y>").text(), "Ann");
    EXPECT_EQ(name("\"A\"\"B\"").text(), "AB");
    // A broken comment or quoted string ends the name before it.
    EXPECT_EQ(name("Ann (open").text(), "Ann");
    EXPECT_EQ(name("Ann \"open").text(), "Ann");
    EXPECT_EQ(name("Ann \"open").consumed(), 4u);
    // Glued words read each on its own, as Python reads them: after text
    // they are text. A word that does not decode stays as written; one in
    // a charset iconv does not know reads as its bytes where they are UTF-8.
    EXPECT_EQ(name("=?utf-8?q?J=C3?==?utf-8?b?vHJnZW4=?=x <").text(), "J\xC3\xBCrgenx");
    EXPECT_EQ(name("x=?utf-8?q?a?= <").text(), "x=?utf-8?q?a?=");
    EXPECT_EQ(name("=?utf-8?q?a?==?utf-8?q?=FF?= b <").text(), "a=?utf-8?q?=FF?= b");
    EXPECT_EQ(name("=?x-none?q?a?=").text(), "a");
    EXPECT_EQ(name("=?x-none?q?=FF?= <").text(), "=?x-none?q?=FF?=");
}

TEST(TokensTest, PlainDisplayNamesCollapseTheirBlanks)
{
    std::string text = "  John \t Smith ";
    DisplayName plain(Internal(text.data(), text.size()));
    EXPECT_EQ(plain.text(), " John Smith ");
    EXPECT_EQ(plain.consumed(), 0u);
}

TEST(TokensTest, DisplayNamesAreWrittenBareQuotedOrEncoded)
{
    EXPECT_EQ(name("\"Smith, John\"").str(false), "\"Smith, John\"");
    EXPECT_EQ(name("John Smith").str(false), "John Smith");
    EXPECT_EQ(name("J. Smith").str(false), "\"J. Smith\"");
    EXPECT_EQ(name("\"a\\\\b\\\"c\"").str(false), "\"a\\\\b\\\"c\"");
    DisplayName utf8 = name("=?utf-8?q?Andr=C3=A9?= Smith");
    EXPECT_EQ(utf8.text(), "Andr\xC3\xA9 Smith");
    EXPECT_EQ(utf8.str(false), "=?utf-8?q?Andr=C3=A9?= Smith");
    EXPECT_EQ(utf8.str(true), "Andr\xC3\xA9 Smith");
    EXPECT_EQ(name("=?utf-8?q?Andr=C3=A9=2C_J?=").str(true), "\"Andr\xC3\xA9, J\"");
    EXPECT_EQ(DisplayName().str(false), "");
    EXPECT_EQ(name("\" \"").str(false), "\" \"");
    // Words that do not decode go as they came; two that a comment kept
    // apart stay apart, though their bytes would join.
    DisplayName kept = name("K\xC3\xB6ln =?utf-8?q?=E2=82?= (c) =?utf-8?q?=AC?= <");
    EXPECT_EQ(name(kept.str(false) + " <").text(), kept.text());
}

LocalPart local(const std::string& text)
{
    return LocalPart(text.data(), text.size());
}

TEST(TokensTest, LocalPartsJoinAtomsAndQuotedStringsByDots)
{
    EXPECT_EQ(local("john . smith@").text(), "john.smith");
    EXPECT_EQ(local("john . smith@").consumed(), 12u);
    EXPECT_EQ(local("\"john smith\"@").text(), "john smith");
    EXPECT_EQ(failure<LocalPart>("\"\"@"), "empty local part");
    EXPECT_EQ(failure<LocalPart>(""), "empty local part");
    EXPECT_EQ(failure<LocalPart>("@"), "invalid local part");
    LocalPart raw = local("j\xC3\xB6rg@");
    EXPECT_EQ(raw.text(), "j\xC3\xB6rg");
    EXPECT_TRUE(raw.nonAscii());
    LocalPart encoded = local("=?utf-8?q?j=C3=B6rg?=@");
    EXPECT_EQ(encoded.text(), "j\xC3\xB6rg");
    EXPECT_FALSE(encoded.nonAscii());
    EXPECT_EQ(local("a.").text(), "a.");
}

TEST(TokensTest, DomainPartsAreNamesOrNumericLiterals)
{
    DomainPart spaced = DomainPart(" a.b (c)", 8);
    EXPECT_EQ(spaced.text(), "a.b");
    EXPECT_EQ(spaced.consumed(), 8u);
    EXPECT_EQ(DomainPart("[192.0.2.1]", 11).text(), "[192.0.2.1]");
    EXPECT_EQ(DomainPart("[IPv6:2001:db8::1]", 18).text(), "[IPv6:2001:db8::1]");
    EXPECT_EQ(DomainPart("[192.0. 2.1]", 12).text(), "[192.0.2.1]");
    EXPECT_EQ(failure<DomainPart>("[::1]"), "not an ipv4 address");
    EXPECT_EQ(failure<DomainPart>("[ipv6:192.0.2.1]"),
              "not an ipv6 address, but ipv6: prefix used");
    EXPECT_EQ(failure<DomainPart>("[1.2.3.4"), "unfinished domain literal");
    EXPECT_EQ(failure<DomainPart>("[1.2.\t3.4]"), "invalid character in email address");
    EXPECT_EQ(failure<DomainPart>("   "), "empty domain part");
    EXPECT_EQ(failure<DomainPart>("@"), "invalid domain name");
    EXPECT_FALSE(failureOf<Dns::GaiException>([] { DomainPart("[a.b]", 5); }).empty());
    EXPECT_EQ(DomainPart("a.b.", 4).text(), "a.b.");
    DomainPart doubled("a..b", 4);
    EXPECT_EQ(doubled.text(), "a.");
    EXPECT_EQ(doubled.consumed(), 2u);
}

} // namespace
} // namespace Mime
} // namespace Kestrava
