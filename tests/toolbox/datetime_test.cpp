#include "toolbox/datetime.h"
#include "toolbox/timestamp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

using Kestrava::Httpd::Timestamp;
using Kestrava::Toolbox::DateTime;

namespace {

std::string text(const char* pointer) { return pointer != nullptr ? pointer : "(null)"; }

/// Sets TZ for the life of the object and lets the C library see it.
class TimeZone
{
public:
    explicit TimeZone(const char* zone)
    {
        const char* old = getenv("TZ");
        _had = old != nullptr;
        if (_had) _old = old;
        setenv("TZ", zone, 1);
        tzset();
    }

    ~TimeZone()
    {
        if (_had)
            setenv("TZ", _old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool _had;
    std::string _old;
};

} // namespace

TEST(DateTimeTest, WritesTheEpochInEveryUtcForm)
{
    DateTime epoch(0.0);
    EXPECT_EQ("1970-01-01 00:00:00", text(epoch.sql(false)));
    EXPECT_EQ("1970-01-01T00:00:00+0000", text(epoch.iso8601(false)));
    EXPECT_EQ("Thu, 01 Jan 70 00:00:00 +0000", text(epoch.rfc822(false)));
    EXPECT_EQ("Thu Jan  1 00:00:00 1970", text(epoch.ansi(false)));
    EXPECT_EQ("1970-01-01 00:00:00", text(epoch.complete(0, false)));
}

TEST(DateTimeTest, WritesTheFractionAtTheAskedPrecision)
{
    EXPECT_EQ("1970-01-01 00:00:01.250", text(DateTime(1.25).complete(3, false)));
    EXPECT_EQ("1970-01-01 00:00:01.3", text(DateTime(1.25001).complete(1, false)));
    EXPECT_EQ("2024-05-01 13:02:03.000001", text(DateTime(1714568523.000001).complete(6, false)));
    EXPECT_EQ("1970-01-01 00:00:01.05", text(DateTime(1.05).complete(2, false)));
    EXPECT_EQ("1970-01-01 00:00:01", text(DateTime(1.75).complete(-2, false)));
    EXPECT_EQ(nullptr, DateTime(1.25).complete(7, false));
    EXPECT_EQ(nullptr, DateTime(1.25).complete(1000, false));
}

TEST(DateTimeTest, RoundingCarriesIntoTheSeconds)
{
    EXPECT_EQ("1970-01-01 00:00:02.000", text(DateTime(1.9996).complete(3, false)));
    EXPECT_EQ("1970-01-01 00:01:00.0", text(DateTime(59.99).complete(1, false)));
    EXPECT_EQ("1971-01-01 00:00:00.00", text(DateTime(31535999.999).complete(2, false)));
}

TEST(DateTimeTest, TimesBeforeTheEpochStayWithinBounds)
{
    EXPECT_EQ("1969-12-31 23:59:59", text(DateTime(-1.0).sql(false)));
    EXPECT_EQ("1969-12-31 23:59:59.500", text(DateTime(-0.5).complete(3, false)));
    EXPECT_EQ("1969-12-31 23:59:58.750000", text(DateTime(-1.25).complete(6, false)));
    EXPECT_EQ("1970-01-01 00:00:00.00", text(DateTime(-0.0001).complete(2, false)));
}

TEST(DateTimeTest, TimesThatCannotBeWrittenGiveNull)
{
    EXPECT_EQ(nullptr, DateTime(std::numeric_limits<double>::infinity()).sql(false));
    EXPECT_EQ(nullptr, DateTime(std::numeric_limits<double>::quiet_NaN()).complete(3, false));
    EXPECT_EQ(nullptr, DateTime(1e300).iso8601(false));
    EXPECT_EQ(nullptr, DateTime(-1e300).complete(6, true));

    // A year beyond what struct tm holds.
    EXPECT_EQ(nullptr, DateTime(3.2e18).sql(false));

    // A ten-digit year fits the buffer, but not with six more digits.
    DateTime far(6.0e16);
    ASSERT_NE(nullptr, far.sql(false));
    EXPECT_EQ(25u, strlen(far.sql(false)));
    EXPECT_EQ(nullptr, far.complete(6, false));
    ASSERT_NE(nullptr, far.complete(2, false));
    EXPECT_EQ(28u, strlen(far.complete(2, false)));
}

TEST(DateTimeTest, ReusesItsBufferForEveryForm)
{
    DateTime time(1.5);
    const char* first = time.sql(false);
    EXPECT_EQ(first, time.sql(false));
    EXPECT_EQ("1970-01-01 00:00:01", text(first));

    const char* second = time.complete(2, false);
    EXPECT_EQ(first, second);
    EXPECT_EQ("1970-01-01 00:00:01.50", text(first));
    EXPECT_EQ("1970-01-01 00:00:01", text(time.sql(false)));

    // A failed form leaves nothing cached: the next one formats anew.
    EXPECT_EQ(nullptr, time.complete(9, false));
    EXPECT_EQ("1970-01-01 00:00:01.5", text(time.complete(1, false)));
}

TEST(DateTimeTest, LocalFormsFollowTheTimeZone)
{
    TimeZone zone("EST5");
    DateTime epoch(0.25);
    EXPECT_EQ("1969-12-31 19:00:00", text(epoch.sql(true)));
    EXPECT_EQ("1969-12-31 19:00:00.25", text(epoch.complete(2, true)));
    EXPECT_EQ("1969-12-31T19:00:00-0500", text(epoch.iso8601(true)));
    EXPECT_EQ("Wed, 31 Dec 69 19:00:00 -0500", text(epoch.rfc822(true)));
    EXPECT_EQ("Wed Dec 31 19:00:00 1969", text(epoch.ansi(true)));
    EXPECT_EQ("1970-01-01 00:00:00", text(epoch.sql(false)));
}

TEST(TimestampTest, WritesHttpDates)
{
    Timestamp epoch(0);
    EXPECT_STREQ("Thu, 01 Jan 1970 00:00:00 GMT", epoch.text());
    EXPECT_EQ(strlen(epoch.text()), epoch.size());

    EXPECT_STREQ("Wed, 01 May 2024 13:02:03 GMT", Timestamp(1714568523).text());

    TimeZone zone("EST5");
    EXPECT_STREQ("Thu, 01 Jan 1970 00:00:00 GMT", Timestamp(0).text());
}

TEST(TimestampTest, TimeOutOfRangeGivesEmptyText)
{
    Timestamp far(std::numeric_limits<time_t>::max());
    EXPECT_STREQ("", far.text());
    EXPECT_EQ(0u, far.size());
}
