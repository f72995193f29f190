#include "browse/cachepolicy.h"

#include "browse/header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using Kestrava::Browse::CachePolicy;
using Kestrava::Browse::Header;

namespace
{

constexpr int64_t now = 1700000000; // Tue, 14 Nov 2023 22:13:20 GMT
constexpr int64_t notStored = -2;

Header head(const std::string& fields)
{
    std::string text = "HTTP/1.1 200 OK\r\n" + fields + "\r\n";
    return Header(text.data(), text.size(), false, true);
}

/// The lifetime stored, or notStored.
int64_t lifetime(const std::string& fields)
{
    int64_t seconds = 0;
    return CachePolicy(head(fields), now).storable(seconds) ? seconds : notStored;
}

bool fresh(const std::string& fields)
{
    return CachePolicy(head(fields), now).fresh();
}

} // namespace

TEST(CachePolicyTest, StoresByEntityTagAgeAndExpiry)
{
    EXPECT_EQ(lifetime("ETag: \"a\"\r\n"), 31536000);
    EXPECT_EQ(lifetime("ETag: \"a\"\r\nCache-Control: max-age=0\r\n"), 31536000);
    EXPECT_EQ(lifetime("Cache-Control: private, max-age=60\r\n"), notStored);
    EXPECT_EQ(lifetime("ETag: \"a\"\r\nCache-Control: no-store\r\n"), notStored);
    EXPECT_EQ(lifetime("Cache-Control: max-age=0\r\n"), notStored);
    EXPECT_EQ(lifetime("Cache-Control: max-age=\r\n"), notStored);
    EXPECT_EQ(lifetime("Cache-Control: max-age\r\n"), notStored);
    EXPECT_EQ(lifetime("Cache-Control: s-maxage=0, max-age=60\r\n"), 60);
    EXPECT_EQ(lifetime("Cache-Control: S-MaxAge=30,\tMAX-AGE=60\r\n"), 30);
    EXPECT_EQ(lifetime("Cache-Control: public\r\n"), -1);
    EXPECT_EQ(lifetime(""), -1);
    // 30 s after now.
    EXPECT_EQ(lifetime("Expires: Tue, 14 Nov 2023 22:13:50 GMT\r\n"), 30);
    EXPECT_EQ(lifetime("Expires: Tue, 14 Nov 2023 22:13:50 GMT\r\nCache-Control: max-age=10\r\n"),
              10);
    EXPECT_EQ(lifetime("Expires: Tue, 14 Nov 2023 22:13:50 GMT\r\nCache-Control: max-age=99\r\n"),
              30);
    EXPECT_EQ(lifetime("Expires: Tue, 14 Nov 2023 22:13:20 GMT\r\n"), notStored);
    EXPECT_EQ(lifetime("Expires: Sun, 06 Nov 1994 08:49:37 GMT\r\n"), notStored);
    // A date that does not parse counts as now: expired.
    EXPECT_EQ(lifetime("Expires: soon\r\n"), notStored);
}

TEST(CachePolicyTest, AgeNumbersSaturate)
{
    EXPECT_EQ(lifetime("Cache-Control: max-age=99999999999999999999999999\r\n"),
              std::numeric_limits<int64_t>::max());
    EXPECT_TRUE(fresh("Cache-Control: max-age=99999999999999999999999999\r\n"
                      "Date: Tue, 14 Nov 2023 22:13:20 GMT\r\n"));
}

TEST(CachePolicyTest, FreshnessByExpiryOrAgeSinceDate)
{
    EXPECT_TRUE(fresh("Expires: Tue, 14 Nov 2023 22:13:21 GMT\r\n"));
    EXPECT_FALSE(fresh("Expires: Tue, 14 Nov 2023 22:13:20 GMT\r\n"));
    EXPECT_FALSE(fresh(""));
    EXPECT_FALSE(fresh("ETag: \"a\"\r\n"));
    EXPECT_TRUE(fresh("Cache-Control: max-age=60\r\nDate: Tue, 14 Nov 2023 22:12:20 GMT\r\n"));
    EXPECT_FALSE(fresh("Cache-Control: max-age=59\r\nDate: Tue, 14 Nov 2023 22:12:20 GMT\r\n"));
    EXPECT_TRUE(fresh("Cache-Control: s-maxage=60, max-age=1\r\n"
                      "Date: Tue, 14 Nov 2023 22:12:20 GMT\r\n"));
    // Without a date the age counts from the epoch.
    EXPECT_FALSE(fresh("Cache-Control: max-age=60\r\n"));
}
