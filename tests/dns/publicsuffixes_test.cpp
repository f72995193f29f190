#include "dns/suffix/publicsuffixes.h"

#include "dns/hostname/hostname.h"
#include "dns/suffix/organization.h"
#include "dns/suffix/publicsuffixlist.h"

#include "tests/dns/concurrently.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <strings.h>

#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using Kestrava::Dns::Hostname;
using Kestrava::Dns::Organization;
using Kestrava::Dns::PublicSuffixes;
using Testing::failureOf;

namespace
{

const PublicSuffixes& suffixes()
{
    return PublicSuffixes::instance();
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::string> listLines()
{
    std::istringstream text(readFile(KESTRAVA_PUBLIC_SUFFIX_LIST));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

/// The organization's ASCII form, or the failure's text.
std::string organizationOf(const char* domain)
{
    try
    {
        return Organization(domain).ascii();
    }
    catch (const std::runtime_error& error)
    {
        return std::string("failure: ") + error.what();
    }
}

std::string suffixOf(const char* name)
{
    const char* suffix = suffixes().suffix(name);
    return suffix != nullptr ? suffix : "(none)";
}

std::string organizationTail(const char* name)
{
    const char* organization = suffixes().organization(name);
    return organization != nullptr ? organization : "(none)";
}

/// One vector of the list's official tests: the domain and its expected
/// registrable domain, either missing for null.
struct Vector
{
    std::optional<std::string> domain;
    std::optional<std::string> organization;
};

std::vector<Vector> officialVectors()
{
    const std::regex check(R"(checkPublicSuffix\((null|'([^']*)'), (null|'([^']*)')\);)");
    std::istringstream text(readFile("/usr/share/doc/publicsuffix/examples/test_psl.txt"));
    std::vector<Vector> vectors;
    for (std::string line; std::getline(text, line);)
    {
        std::smatch match;
        // Commented-out vectors are not part of the tests.
        if (line.rfind("checkPublicSuffix(", 0) != 0) continue;
        if (!std::regex_match(line, match, check)) throw std::runtime_error("unread: " + line);
        Vector vector;
        if (match[1] != "null") vector.domain = match[2];
        if (match[3] != "null") vector.organization = match[4];
        vectors.push_back(vector);
    }
    return vectors;
}

} // namespace

TEST(PublicSuffixesTest, EmbedsTheListTheBuildRead)
{
    std::string expected = readFile(KESTRAVA_PUBLIC_SUFFIX_LIST);
    for (char& byte : expected)
        if (byte == '\n') byte = '\0';
    ASSERT_EQ(Kestrava::Dns::src_public_suffix_list_dat_size, expected.size());
    EXPECT_EQ(std::string(Kestrava::Dns::src_public_suffix_list_dat, expected.size()), expected);
}

TEST(PublicSuffixesTest, FindsEveryRuleOfTheList)
{
    size_t rules = 0;
    for (const std::string& line : listLines())
    {
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        ++rules;
        std::string name = line;
        if (line[0] == '!')
        {
            // An exception names an organization below a wildcard.
            name = line.substr(1);
            const PublicSuffixes::Suffix* rule = suffixes().match(name.c_str());
            ASSERT_NE(rule, nullptr) << line;
            EXPECT_TRUE(rule->exception()) << line;
            EXPECT_EQ(std::string(rule->text(), rule->length()), name);
            EXPECT_EQ(organizationTail(name.c_str()), name);
            continue;
        }
        if (line.rfind("*.", 0) == 0) name = "label" + line.substr(1);
        const PublicSuffixes::Suffix* rule = suffixes().match(name.c_str());
        ASSERT_NE(rule, nullptr) << line;
        EXPECT_FALSE(rule->exception()) << line;
        EXPECT_EQ(std::string(rule->text(), rule->length()), line);
        EXPECT_EQ(suffixOf(name.c_str()), name) << line;
        EXPECT_EQ(organizationTail(name.c_str()), "(none)") << line;
    }
    EXPECT_GT(rules, 0u);
}

TEST(PublicSuffixesTest, PassesTheListsOfficialTestVectors)
{
    std::vector<Vector> vectors = officialVectors();
    ASSERT_FALSE(vectors.empty());
    for (const Vector& vector : vectors)
    {
        const char* domain = vector.domain ? vector.domain->c_str() : nullptr;
        std::string found = organizationOf(domain);
        std::string label = vector.domain.value_or("null");
        if (!vector.domain)
            EXPECT_EQ(found, "failure: null domain");
        else if (!vector.organization)
            EXPECT_EQ(found, "failure: No organization found") << label;
        else
            EXPECT_EQ(
                strcasecmp(found.c_str(), Hostname(vector.organization->c_str(), false).ascii()), 0)
                << label << " gave " << found;
    }
}

TEST(PublicSuffixesTest, ExceptionRuleMakesItsParentThePublicSuffix)
{
    // The list has "*.ck" and "!www.ck".
    EXPECT_EQ(suffixOf("www.ck"), "ck");
    EXPECT_EQ(organizationTail("www.ck"), "www.ck");
    EXPECT_EQ(organizationTail("a.www.ck"), "www.ck");
    EXPECT_EQ(suffixOf("other.ck"), "other.ck");
    EXPECT_EQ(organizationTail("other.ck"), "(none)");
}

TEST(PublicSuffixesTest, WildcardStandsForExactlyOneLabel)
{
    // "*.mm": "c.mm" is a suffix, "mm" and anything deeper are not.
    const PublicSuffixes::Suffix* rule = suffixes().match("a.b.c.mm");
    ASSERT_NE(dynamic_cast<const PublicSuffixes::Wildcard*>(rule), nullptr);
    EXPECT_EQ(std::string(rule->text(), rule->length()), "*.mm");
    EXPECT_EQ(suffixOf("a.b.c.mm"), "c.mm");
    EXPECT_EQ(organizationTail("a.b.c.mm"), "b.c.mm");
    EXPECT_EQ(suffixOf("mm"), "mm");
    EXPECT_EQ(suffixes().match("mm"), nullptr);
}

TEST(PublicSuffixesTest, UnlistedNamesFallUnderTheImplicitRule)
{
    EXPECT_EQ(suffixes().match("www.example.example"), nullptr);
    EXPECT_EQ(suffixOf("www.example.example"), "example");
    EXPECT_EQ(organizationTail("www.example.example"), "example.example");
    EXPECT_EQ(organizationTail("example"), "(none)");
}

TEST(PublicSuffixesTest, LongestRuleWinsAndCaseDoesNotMatter)
{
    EXPECT_EQ(organizationTail("a.b.example.co.uk"), "example.co.uk");
    EXPECT_EQ(organizationTail("WWW.Example.CO.UK"), "Example.CO.UK");
    EXPECT_EQ(suffixOf("co.uk"), "co.uk");
    EXPECT_EQ(organizationTail("co.uk"), "(none)");
    // A '*' label counts as a label.
    EXPECT_EQ(organizationTail("*.com"), "*.com");
}

TEST(PublicSuffixesTest, EmptyLabelsLeaveANameWithoutSuffix)
{
    for (const char* name :
         {"", ".", "example.com.", "a..example.com", ".example.com", "..", ".www.ck"})
    {
        EXPECT_EQ(suffixes().match(name), nullptr) << name;
        EXPECT_EQ(suffixOf(name), "(none)") << name;
        EXPECT_EQ(organizationTail(name), "(none)") << name;
    }
}

TEST(PublicSuffixesTest, AsciiAndUnicodeFormsGiveTheSameOrganization)
{
    const char* forms[] = {"www.食狮.公司.cn", "www.xn--85x722f.xn--55qx5d.cn",
                           "www.食狮.xn--55qx5d.cn", "WWW.XN--85X722F.XN--55QX5D.CN"};
    for (const char* name : forms)
    {
        Organization organization(name);
        EXPECT_EQ(strcasecmp(organization.ascii(), "xn--85x722f.xn--55qx5d.cn"), 0) << name;
        EXPECT_EQ(strcasecmp(organization.unicode(), "食狮.公司.cn"), 0) << name;
    }
    EXPECT_EQ(failureOf([] { Organization("xn--55qx5d.cn"); }), "No organization found");
    // Letters of the Unicode form in upper case are folded by IDNA.
    EXPECT_STREQ(Organization("www.BÜCHER.de").ascii(), "xn--bcher-kva.de");
}

TEST(PublicSuffixesTest, ListIsReadOnceUnderConcurrentFirstUse)
{
    constexpr int threads = 8;
    std::vector<const PublicSuffixes*> instances(threads);
    std::vector<std::string> organizations(threads);
    Testing::concurrently(threads,
                          [&](int index)
                          {
                              instances[index] = &PublicSuffixes::instance();
                              organizations[index] = Organization("www.食狮.公司.cn").ascii();
                          });
    for (int index = 0; index < threads; ++index)
    {
        EXPECT_EQ(instances[index], instances[0]);
        EXPECT_EQ(organizations[index], "xn--85x722f.xn--55qx5d.cn");
    }
}
