#include "logging/stream.h"

#include "logging/log.h"
#include "logging/proxy.h"

#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <sstream>
#include <string>

using Kestrava::Logging::critical;
using Kestrava::Logging::info;
using Kestrava::Logging::Log;
using Kestrava::Logging::priority;
using Kestrava::Logging::Proxy;
using Kestrava::Logging::Stream;
using Kestrava::Logging::warning;

namespace {

/// Seconds since the epoch of a "%Y-%m-%d %H:%M:%S" UTC text.
time_t secondsOf(const std::string& text)
{
    struct tm parts = {};
    strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &parts);
    return timegm(&parts);
}

} // namespace

TEST(StreamTest, WritesPrefixUtcTimeTextAndNewline)
{
    Log log(info, nullptr);
    std::ostringstream output;
    Stream stream(log, output);

    time_t before = time(nullptr);
    Proxy(log, warning) << "disk almost full";
    Proxy(log, critical) << "two\nlines";
    Proxy(log, info) << "plain";
    Proxy(log, static_cast<priority>(9)) << "odd level";
    Proxy(log, static_cast<priority>(-1)) << "";
    log.flush();
    time_t after = time(nullptr);

    std::regex format("(\\[Warning\\]  |\\[Critical\\] |\\[Info\\]     )"
                      "\\[(\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)\\] ([\\s\\S]*)");
    std::vector<std::pair<std::string, std::string>> seen;
    std::string text = output.str();
    size_t start = 0;
    for (const char* expected :
         {"disk almost full\n", "two\nlines\n", "plain\n", "odd level\n", "\n"})
    {
        size_t length = std::string(expected).size();
        size_t end = text.find(expected, start);
        ASSERT_NE(std::string::npos, end) << expected;
        std::string head = text.substr(start, end - start);
        ASSERT_EQ(11u + 22u, head.size()) << head;

        std::smatch match;
        std::string whole = head + expected;
        ASSERT_TRUE(std::regex_match(whole, match, format)) << whole;
        time_t stamp = secondsOf(match[2]);
        EXPECT_LE(before, stamp);
        EXPECT_GE(after, stamp);
        seen.emplace_back(match[1], match[3]);
        start = end + length;
    }
    EXPECT_EQ(text.size(), start);

    std::vector<std::pair<std::string, std::string>> expected{
        {"[Warning]  ", "disk almost full\n"},
        {"[Critical] ", "two\nlines\n"},
        {"[Info]     ", "plain\n"},
        {"[Info]     ", "odd level\n"},
        {"[Info]     ", "\n"},
    };
    EXPECT_EQ(expected, seen);
}

TEST(StreamTest, FlushesEveryLine)
{
    // A stream buffer that only counts what reached it and its syncs.
    class Counting : public std::stringbuf
    {
    public:
        int syncs() const { return _syncs; }

    protected:
        int sync() override
        {
            ++_syncs;
            return 0;
        }

    private:
        int _syncs = 0;
    } buffer;

    std::ostream output(&buffer);
    Log log(info, nullptr);
    Stream stream(log, output);
    Proxy(log, info) << "one";
    Proxy(log, info) << "two";
    log.flush();
    EXPECT_EQ(2, buffer.syncs());
    EXPECT_NE(std::string::npos, buffer.str().find("] two\n"));
}
