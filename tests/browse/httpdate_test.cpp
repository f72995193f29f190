#include "browse/httpdate.h"

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

using Kestrava::Browse::parseHttpDate;

namespace
{

constexpr int64_t now = 1700000000;
constexpr int64_t sunday = 784111777;

/// Sets an environment variable for the scope and restores it after.
class Environment
{
public:
    Environment(const char* name, const char* value) : _name(name)
    {
        if (const char* old = getenv(name)) _old = old, _had = true;
        setenv(name, value, 1);
    }
    ~Environment()
    {
        if (_had)
            setenv(_name, _old.c_str(), 1);
        else
            unsetenv(_name);
    }

private:
    const char* _name;
    std::string _old;
    bool _had = false;
};

} // namespace

TEST(HttpDateTest, ReadsEveryFormat)
{
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", now), sunday);
    EXPECT_EQ(parseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT", now), sunday);
    EXPECT_EQ(parseHttpDate("Sun Nov  6 08:49:37 1994", now), sunday);
    EXPECT_EQ(parseHttpDate("1994-11-06 08:49:37", now), sunday);
    EXPECT_EQ(parseHttpDate("1994-11-06 08:49:37.5", now), sunday);
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT \t", now), sunday);
}

TEST(HttpDateTest, AnythingElseIsNow)
{
    for (const char* text :
         {"", "tomorrow", "Sun, 06 Nov 1994 08:49:37", "Sun, 06 Nov 1994 08:49:37 GMT+1",
          "1994-11-06 08:49:37.", "1994-11-06 08:49:37.5x", "1994-11-06 08:49:37 .5",
          "Sun, 32 Nov 1994 08:49:37 GMT", "Sun, 06 Nov 1994 25:49:37 GMT", "\x01\xff"})
        EXPECT_EQ(parseHttpDate(text, now), now) << text;
}

TEST(HttpDateTest, ReadsUtcWhateverTheZone)
{
    // Summer time in Berlin: a local conversion corrected by the zone's
    // standard offset would be an hour off.
    Environment zone("TZ", "Europe/Berlin");
    tzset();
    EXPECT_EQ(parseHttpDate("Wed, 01 Jul 2026 12:00:00 GMT", now), 1782907200);
    EXPECT_EQ(parseHttpDate("2026-07-01 12:00:00", now), 1782907200);
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", now), sunday);
}

TEST(HttpDateTest, ReadsEnglishNamesWhateverTheLocale)
{
    Kestrava::OpenSSL::Test::Scratch locales;
    ASSERT_EQ(Kestrava::OpenSSL::Test::runShell("localedef -i de_DE -f UTF-8 " +
                                                locales.path("de_DE.UTF-8")),
              0);
    Environment path("LOCPATH", locales.path("").c_str());
    ASSERT_NE(setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    EXPECT_EQ(parseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT", now), sunday);
    EXPECT_EQ(parseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT", now), sunday);
    EXPECT_EQ(parseHttpDate("So, 06 Nov 1994 08:49:37 GMT", now), now);
    setlocale(LC_ALL, "C");
}
