#include "mime/fields/targets.h"

#include "mime/capabilities.h"
#include "filter/linetracker.h"
#include "filter/string.h"
#include "mime/header.h"
#include "mime/fields/mailboxes.h"
#include "tests/filter/support/python.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace
{

using Testing::failureOf;

/// Address values view their text: literals outlive them.
Targets targets(const char* text, bool strict = false)
{
    return Targets(text, std::strlen(text), strict);
}

Mailboxes mailboxes(const char* text, bool strict = false)
{
    return Mailboxes(text, std::strlen(text), strict);
}

Mailbox mailbox(const char* text, bool strict = false)
{
    return Mailbox(text, std::strlen(text), strict);
}

/// "name\taddress" per mailbox, one line each, as the Python check prints.
std::string listed(const Targets& list)
{
    std::string text;
    for (const auto& target : list.targets())
        for (const auto& box : target->mailboxes())
            text += box->name().text() + "\t" + box->address().utf8() + "\n";
    return text;
}

TEST(AddressesTest, MailboxesTakeANameAndBrackets)
{
    Mailbox named = mailbox("John Smith <john@example.com>");
    EXPECT_EQ(named.name().text(), "John Smith");
    EXPECT_EQ(named.address().utf8(), "john@example.com");
    EXPECT_EQ(named.str(false), "John Smith <john@example.com>");
    EXPECT_EQ(mailbox("<john@example.com>").str(false), "john@example.com");
    EXPECT_EQ(mailbox("john . smith @ example.com (x)", true).str(false), "john.smith@example.com");
    EXPECT_EQ(failureOf([] { mailbox("John <a@b"); }), "unmatched '<' and '>' brackets");
    EXPECT_EQ(failureOf([] { mailbox("<a@b"); }), "unmatched '<' and '>' brackets");
    EXPECT_EQ(failureOf([] { mailbox("John <a@b x"); }), "unmatched '<' and '>' brackets");
    EXPECT_EQ(failureOf([] { mailbox("a@b>"); }), "");
    EXPECT_EQ(failureOf([] { mailbox("a@b>", true); }), "Did not manage to process all the input");
    EXPECT_EQ(failureOf([] { mailbox("John <a@b> x", true); }),
              "Did not manage to process all the input");
    EXPECT_EQ(failureOf([] { mailbox("John"); }), "missing @");
    EXPECT_EQ(mailbox("John <a@b> (work) ", true).consumed(), 18u);
    std::string name = "Smith,  John";
    Mailbox plain(name.data(), name.size(), "a@b", 3);
    EXPECT_EQ(plain.str(false), "\"Smith, John\" <a@b>");
    EXPECT_FALSE(failureOf([] { Mailbox("x", 1, "a@b c", 5); }).empty());
}

TEST(AddressesTest, ListsSkipEmptyItemsAndBadOnesWhenLenient)
{
    EXPECT_EQ(listed(targets("a@x,,b@y,")), "\ta@x\n\tb@y\n");
    EXPECT_EQ(mailboxes("a@x,, b@y ,").mailboxes().size(), 2u);
    // CFWS after ">" belongs to the mailbox.
    const char* commented = "Joe <j@x> (work), Ann <a@y>";
    EXPECT_EQ(listed(targets(commented, true)), "Joe\tj@x\nAnn\ta@y\n");
    EXPECT_EQ(mailboxes(commented, true).mailboxes().size(), 2u);
    EXPECT_EQ(mailboxes("Joe <j@x> , Ann <a@y>", true).mailboxes().size(), 2u);
    // Anything else after a mailbox fails the item.
    EXPECT_EQ(failureOf([] { mailboxes("Joe <j@x> x, Ann <a@y>", true); }),
              "characters left behind target");
    EXPECT_EQ(failureOf([] { targets("Joe <j@x> x, Ann <a@y>", true); }),
              "characters left behind target");
    EXPECT_EQ(listed(targets("Joe <j@x> x, Ann <a@y>")), "Ann\ta@y\n");
    EXPECT_EQ(listed(targets("\"a,b\" <j@x, Ann <a@y>")), "Ann\ta@y\n");
    EXPECT_EQ(listed(targets("\"open, Ann <a@y>")), "");
    EXPECT_EQ(failureOf([] { mailboxes("a@x; b@y", true); }), "characters left behind target");
    EXPECT_EQ(failureOf([] { mailboxes("a@x b@y", true); }), "characters left behind target");
    EXPECT_EQ(failureOf([] { Mailboxes("a@x ;", 5, true); }), "characters left behind target");
}

TEST(AddressesTest, GroupsHoldMailboxes)
{
    Targets friends = targets("Friends: a@x, b@y;", true);
    ASSERT_EQ(friends.targets().size(), 1u);
    EXPECT_TRUE(friends.targets()[0]->group());
    EXPECT_EQ(friends.targets()[0]->mailboxes().size(), 2u);
    EXPECT_EQ(friends.str(false), "Friends: a@x, b@y;");
    EXPECT_EQ(targets("Friends:;", true).str(false), "Friends: ;");
    EXPECT_EQ(targets("Friends: a@x", true).str(false), "Friends: a@x;");
    EXPECT_EQ(targets("Friends: a@x; , c@z", true).str(false), "Friends: a@x;, c@z");
    EXPECT_EQ(failureOf([] { Target("Friends: a@x> b", 15, true); }),
              "characters left behind target");
    EXPECT_EQ(targets("Friends: a@x b, c@z;").str(false), "Friends: c@z;");
    EXPECT_EQ(targets("Friends: bad, a@x;").str(false), "Friends: a@x;");
    EXPECT_EQ(targets(": a@x").targets().size(), 0u);
    EXPECT_EQ(targets("\"\": a@x;").str(false), "\"\": a@x;");
}

TEST(AddressesTest, AddressesAreWrittenForTheReceiver)
{
    Mailbox idn = mailbox("B\xC3\xBC"
                          "cher <info@b\xC3\xBC"
                          "cher.example>");
    EXPECT_EQ(idn.str(false), "=?utf-8?q?B=C3=BCcher?= <info@xn--bcher-kva.example>");
    EXPECT_EQ(idn.str(true), "B\xC3\xBC"
                             "cher <info@b\xC3\xBC"
                             "cher.example>");
    EXPECT_TRUE(idn.encodable(Capabilities::standard()));
    Mailbox local = mailbox("j\xC3\xB6rg@example.com");
    EXPECT_FALSE(local.encodable(Capabilities::standard()));
    EXPECT_TRUE(local.encodable(Capabilities::utf8()));
    // No encoded word in an addr-spec: the local part stays as it is.
    EXPECT_EQ(local.str(false), "j\xC3\xB6rg@example.com");
    EXPECT_EQ(mailbox("\"a\\\tb\x01\"@x").str(false), "\"a\\\tb\x01\"@x");
    EXPECT_EQ(mailbox("\"=?utf-8?q?a?=\"@x").str(false), "\"=?utf-8?q?a?=\"@x");
    // Encoded words would drop a name of white space, and the group with it.
    EXPECT_EQ(targets("\"\\\t\": a@x;").str(false), "\"\\\t\": a@x;");
    EXPECT_EQ(targets("\"\\\r\": a@x;").str(false), "\" \": a@x;");
    EXPECT_EQ(local.str(true), "j\xC3\xB6rg@example.com");
    EXPECT_FALSE(targets("a@x, j\xC3\xB6rg@y").encodable(Capabilities::standard()));
    EXPECT_TRUE(targets("").encodable(Capabilities::standard()));
    EXPECT_EQ(mailbox("\"john smith\"@x").str(false), "\"john smith\"@x");
    EXPECT_EQ(mailbox("\"a..b\\\\c\\\"\"@x").str(false), "\"a..b\\\\c\\\"\"@x");
    EXPECT_EQ(mailbox("a@[192.0.2.1]").str(false), "a@[192.0.2.1]");
}

TEST(AddressesTest, AddressesCompareIgnoringCase)
{
    Address one("John@Example.COM", 16, true);
    Address two("john@example.com", 16, true);
    EXPECT_TRUE(one == two);
    EXPECT_FALSE(one == Address("jon@example.com", 15, true));
    const char* unicode = "a@b\xC3\xBC"
                          "cher.example";
    const char* ascii = "A@XN--BCHER-KVA.example";
    EXPECT_TRUE(Address(unicode, std::strlen(unicode), true) ==
                Address(ascii, std::strlen(ascii), true));
    EXPECT_TRUE(targets("x@y, Friends: John@example.com;").contains(two));
    EXPECT_FALSE(targets("x@y").contains(two));
    EXPECT_EQ(failureOf([] { Address("a@b c", 5, true); }),
              "trailing bytes after email address: c");
    EXPECT_EQ(failureOf([] { Address("a", 1, true); }), "missing @");
}

TEST(AddressesTest, LongListsFoldUnderLineControl)
{
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += "Person Number" + std::to_string(i) + " <person" + std::to_string(i) +
                "@example.com>, ";
    Targets list(text.data(), text.size(), false);
    ASSERT_EQ(list.targets().size(), 8u);
    std::string written;
    Filter::String sink(&written);
    Filter::LineTracker tracker(&sink);
    list.encode(Capabilities::standard(), static_cast<Filter::LineLength*>(&tracker), false);
    size_t start = 0;
    for (size_t end; (end = written.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 78u) << written;
    EXPECT_NE(written.find("\r\n "), std::string::npos);
    Targets again(written.data(), written.size(), true);
    EXPECT_EQ(listed(again), listed(list));
}

TEST(AddressesTest, ListsReadAsPythonReadsThem)
{
    const char* module = R"(
import email.policy
def apply(data):
    header = email.policy.default.header_factory('To', data.decode('utf-8'))
    return ''.join(a.display_name + '\t' + a.addr_spec + '\n' for a in header.addresses).encode('utf-8')
)";
    // Where we read otherwise, by design: RFC 2047 (section 6.2) drops the
    // blank between adjacent encoded words; a local part that is no dot-atom
    // stays quoted; a domain takes no CFWS around its dots.
    const std::map<std::string, std::string> deviations = {
        {"=?utf-8?q?a?= =?utf-8?q?b?= <ab@example.com>", "ab\tab@example.com\n"},
        {"\"john..smith\"@example.com", "\t\"john..smith\"@example.com\n"},
        {"john . smith @ example . com", ""},
    };
    std::vector<std::string> inputs = {
        "a@example.com",
        "John Smith <john@example.com>",
        "\"Smith, John\" <john@example.com>",
        "\"John \\\"Q\\\" Smith\" <q@example.com>",
        "John (middle) Smith <john@example.com>",
        "<john@example.com>",
        "john@example.com (John Smith)",
        "a@x, b@y, c@z",
        "a@x,,b@y,",
        "Joe <j@x> (work), Ann <a@y>",
        "Friends: a@x, b@y;",
        "Friends: Ann <a@x>, \"B, C\" <b@y>;, d@z",
        "Friends:;",
        "Undisclosed recipients:;",
        "Team: a@x;, Other: b@y;",
        "\"A\" \"B\" <x@y>",
        "  \"Ann\" <ann@example.com>",
        "=?utf-8?q?Andr=C3=A9?= <andre@example.com>",
        "=?iso-8859-1?q?Andr=E9?= Smith <andre@example.com>",
        "=?utf-8?b?w6lsw6h2ZQ==?= <eleve@example.com>",
        "Andr\xC3\xA9 <andre@example.com>",
        "\"Andr\xC3\xA9\" <andre@example.com>",
        "info@b\xC3\xBC"
        "cher.example",
        "B\xC3\xBC"
        "cher <info@b\xC3\xBC"
        "cher.example>",
        "j\xC3\xB6rg@example.com",
        "\"john smith\"@example.com",
        "john.smith@example.com",
        "user+tag@example.com",
        "o'brien@example.com",
        "a@[192.0.2.1]",
        "a@[IPv6:2001:db8::1]",
        "J. Smith <j@example.com>",
        "Dr. J. Smith <j@example.com>",
        "Smith\t John <j@example.com>",
        "a@x (one), b@y (two)",
        "(lead) a@x",
        "a@x (trail (nested))",
        "\"\\\\back\\\\slash\" <b@example.com>",
        "x@EXAMPLE.COM",
        "\"quoted@at\" <q@example.com>",
        "Group: \"Ann\" <a@x> (c), b@y;",
        "a@x.y.z.example",
        "_under@example.com",
        "a!#$%&'*+-/=?^_`{|}~b@example.com",
        "Name With Many Words In It <many@example.com>",
        "one@a.example, Two <two@b.example>, Three: three@c.example;",
        // Encoded words glued to each other and to text.
        "=?utf-8?q?J=C3=BC?==?utf-8?q?rgen?= <j@example.com>",
        "=?utf-8?q?a?=b <ab@example.com>, x=?utf-8?q?a?= <x@example.com>",
        "=?utf-8?q?a?==?utf-8?q?b?=@example.com, c=?utf-8?q?d?=@example.com",
    };
    for (const auto& deviation : deviations)
        inputs.push_back(deviation.first);
    std::vector<std::string> python = Filter::Check::python(module, inputs);
    for (size_t i = 0; i < inputs.size(); ++i)
    {
        std::string ours = listed(Targets(inputs[i].data(), inputs[i].size(), false));
        auto deviation = deviations.find(inputs[i]);
        if (deviation == deviations.end())
            EXPECT_EQ(ours, python[i]) << inputs[i];
        else
        {
            EXPECT_EQ(ours, deviation->second) << inputs[i];
            EXPECT_NE(python[i], deviation->second) << inputs[i];
        }
    }
}

TEST(AddressesTest, WrittenListsReadAsPythonReadsThem)
{
    const char* module = R"(
import email, email.policy
def apply(data):
    to = email.message_from_bytes(data, policy=email.policy.default)['to']
    return ''.join(a.display_name + '\t' + a.addr_spec + '\n' for a in to.addresses).encode('utf-8')
)";
    const std::vector<std::string> inputs = {
        "John Smith <john@example.com>",
        "\"Smith, John\" <john@example.com>, \"J. Smith\" <j@example.com>",
        "=?utf-8?q?Andr=C3=A9?= Smith <andre@example.com>",
        "B\xC3\xBC" "cher <info@b\xC3\xBC" "cher.example>",
        "Friends: a@x.example, \"Ann, B\" <b@y.example>;, c@z.example",
        "Friends:;, \"john smith\"@example.com",
        "\"a \\\"q\\\" b\" <q@example.com>",
        "Very Long Display Name Number One <one@example.com>, Very Long Display Name "
        "Number Two <two@example.com>, Third <three@example.com>",
    };
    std::vector<std::string> messages;
    std::vector<std::string> expected;
    for (const std::string& input : inputs)
    {
        Targets list(input.data(), input.size(), true);
        Header header;
        header.append("To", list);
        messages.push_back(header.str(false) + "body\r\n");
        std::string ascii;
        for (const auto& target : list.targets())
            for (const auto& box : target->mailboxes())
                ascii += box->name().text() + "\t" + box->address().str(false) + "\n";
        expected.push_back(ascii);
    }
    std::vector<std::string> read = Filter::Check::python(module, messages);
    for (size_t i = 0; i < inputs.size(); ++i)
        EXPECT_EQ(read[i], expected[i]) << messages[i];
}

} // namespace
} // namespace Mime
} // namespace Kestrava
