#include "app/filter.h"

#include "app/filterpass.h"
#include "tests/app/treefilter.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <random>

namespace {

/// The document as the service posts it after the filter, "invalid" when it
/// posts nothing.
std::string filtered(const std::string& filter, std::string_view document)
{
    Filter parsed(filter);
    FilterPass pass(parsed);
    std::string output;
    return pass.copy(document, output) ? output : "invalid";
}

TEST(FilterTest, RemovesMembersAndElementsByPlainPointers)
{
    EXPECT_EQ(filtered("/secret", R"({"a":1,"secret":2,"b":3})"), R"({"a":1,"b":3})");
    EXPECT_EQ(filtered("/secret", R"({"secret":2,"b":3})"), R"({"b":3})");
    EXPECT_EQ(filtered("/secret", R"({"secret":2})"), R"({})");
    EXPECT_EQ(filtered("/list/1", R"({"list":[0,1,2]})"), R"({"list":[0,2]})");
    EXPECT_EQ(filtered("/absent", R"({"a":1})"), R"({"a":1})");
    EXPECT_EQ(filtered("/a/b/c", R"({"a":1})"), R"({"a":1})");
    EXPECT_EQ(filtered("/list/-", R"({"list":[0,1]})"), R"({"list":[0,1]})");
    EXPECT_EQ(filtered("/-", R"({"-":0})"), R"({"-":0})");
    EXPECT_EQ(filtered("/list/01 /list/x", R"({"list":[0,1]})"), R"({"list":[0,1]})");
}

TEST(FilterTest, UnescapesTokensAndComparesNamesAsWritten)
{
    EXPECT_EQ(filtered("/a~1b/*/c", R"({"a/b":[{"c":1,"d":2},{"c":3}],"a":{"b":[{"c":4}]}})"),
              R"({"a\/b":[{"d":2},{}],"a":{"b":[{"c":4}]}})");
    EXPECT_EQ(filtered("/t~0x", R"({"t~x":1,"t/x":2})"), R"({"t\/x":2})");
    EXPECT_EQ(filtered("/*/~01", R"([{"~1":1,"/":2}])"), R"([{"\/":2}])");
    // An escaped name is the name it stands for.
    EXPECT_EQ(filtered("/\xC3\xA9 /a\"b", R"({"\u00e9":1,"a\"b":2,"a\u0022b":3,"c":4})"),
              R"({"c":4})");
}

TEST(FilterTest, WildcardStepsIntoEveryArrayElementAndNothingElse)
{
    std::string items = "[", kept = "[";
    for (int index = 0; index < 12; ++index)
    {
        items += std::string(index ? "," : "") + R"({"secret":1,"keep":2})";
        kept += std::string(index ? "," : "") + R"({"keep":2})";
    }
    EXPECT_EQ(filtered("/items/*/secret", R"({"items":)" + items + "]}"),
              R"({"items":)" + kept + "]}");
    EXPECT_EQ(filtered("/*/x", R"({"a":{"x":1}})"), R"({"a":{"x":1}})");
    EXPECT_EQ(filtered("/*/x", R"("scalar")"), R"("scalar")");
    EXPECT_EQ(filtered("/*", R"({"*":1})"), R"({"*":1})");
    EXPECT_EQ(filtered("/list/*/tags/*/id",
                       R"({"list":[{"tags":[{"id":1},{"id":2}]},{"tags":[]},{"tags":[{"id":3}]}]})"),
              R"({"list":[{"tags":[{},{}]},{"tags":[]},{"tags":[{}]}]})");
}

TEST(FilterTest, TrailingWildcardEmptiesTheArray)
{
    EXPECT_EQ(filtered("/list/*", R"({"list":[1,2,3,4,5],"b":0})"), R"({"list":[],"b":0})");
    EXPECT_EQ(filtered("/*", "[[1],[2],[3]]"), "[]");
    EXPECT_EQ(filtered("/a/*/*", R"({"a":[[1,2],[3,4,5]]})"), R"({"a":[[],[]]})");
}

TEST(FilterTest, LaterPointersSeeWhatTheEarlierOnesLeft)
{
    EXPECT_EQ(filtered("/x  /y", R"({"x":1,"y":2,"z":3})"), R"({"z":3})");
    EXPECT_EQ(filtered("/l/0 /l/0", R"({"l":[1,2,3]})"), R"({"l":[3]})");
    EXPECT_EQ(filtered("/l/1 /l/0 /l/1", R"({"l":[0,1,2,3,4]})"), R"({"l":[2,4]})");
    EXPECT_EQ(filtered("/l/0 /l/0/x", R"({"l":[{"x":1},{"x":2,"y":3}]})"), R"({"l":[{"y":3}]})");
    EXPECT_EQ(filtered("/l/* /l/0", R"({"l":[1,2]})"), R"({"l":[]})");
    EXPECT_EQ(filtered("/l/*/x /l/1", R"({"l":[{"x":1,"a":0},{"x":2}]})"), R"({"l":[{"a":0}]})");
    EXPECT_EQ(filtered("/a /a/b", R"({"a":{"b":1},"c":2})"), R"({"c":2})");
}

TEST(FilterTest, AnEmptyPointerRemovesNothing)
{
    EXPECT_EQ(filtered(" ", R"({"x":1})"), R"({"x":1})");
    EXPECT_EQ(filtered("", R"({"x":1})"), R"({"x":1})");
    // The empty token names the member "" and, as an index, element 0.
    EXPECT_EQ(filtered("/", R"({"":1,"x":2})"), R"({"x":2})");
    EXPECT_EQ(filtered("/", "[1,2]"), "[2]");
}

TEST(FilterTest, RepeatedNamesAreAllKeptAndAllRemoved)
{
    EXPECT_EQ(filtered("", R"({"k":1,"k":2})"), R"({"k":1,"k":2})");
    EXPECT_EQ(filtered("/k/s", R"({"k":{"s":1,"t":2},"k":{"s":3}})"), R"({"k":{"t":2},"k":{}})");
    EXPECT_EQ(filtered("/k", R"({"k":1,"x":0,"k":2})"), R"({"x":0})");
}

TEST(FilterTest, LeavesOutWhatGrewTheCopy)
{
    // Every "/" is written "\/": the copy outgrows the document's bytes.
    const std::string slashes(64, '/');
    EXPECT_EQ(filtered("/x /y/0", R"({"k":0,"x":")" + slashes + R"(","y":[")" + slashes + R"("]})"),
              R"({"k":0,"y":[]})");
}

TEST(FilterTest, NumbersKeepTheirText)
{
    // The tree wrote "-0" as "0"; every other number it kept as written too.
    EXPECT_EQ(filtered("", "[-0,1.50,1E400,-12345678901234567890123,0.0]"),
              "[-0,1.50,1E400,-12345678901234567890123,0.0]");
}

TEST(FilterTest, PostsNothingButJson)
{
    for (const char* document : {"", "null", " null ", "{", "[1,]", "{\"a\":1}x", "[\"\\ud800\\u12\"]"})
        EXPECT_EQ(filtered("/a", document), "invalid") << document;
    EXPECT_EQ(filtered("", std::string(1001, '[') + std::string(1001, ']')), "invalid");
    EXPECT_EQ(filtered("", std::string(1000, '[') + std::string(1000, ']')),
              std::string(1000, '[') + std::string(1000, ']'));
}

TEST(FilterTest, RefusesWordsThatAreNoPointer)
{
    EXPECT_EQ(Testing::failureOf([] { Filter("/x y"); }), "Could not parse filter list: Invalid JSON pointer");
    EXPECT_EQ(Testing::failureOf([] { Filter("\t/x"); }), "Could not parse filter list: Invalid JSON pointer");
}

/// A random document of the shapes the filters below name.
std::string randomDocument(std::mt19937& random, int depth)
{
    const char* names[] = {"a", "b", "*", "-", "0", "", "a/b", "t~x"};
    const char* scalars[] = {"1", "-0.0", "2.50e+3", "true", "null", R"("s\/\u00e9\ud83d\ude00")",
                             R"("\u0000\ud800")", "\"x\""};
    switch (depth > 3 ? 2 : random() % 3)
    {
    case 0:
    {
        std::string text = "{";
        // No name twice: the tree keeps only one member of a name.
        unsigned used = 0;
        for (unsigned count = random() % 4, member = 0; member < count; ++member)
        {
            const unsigned name = random() % 8;
            if (used & (1u << name)) continue;
            used |= 1u << name;
            if (text.size() > 1) text += ',';
            text += '"' + std::string(names[name]) + "\": " + randomDocument(random, depth + 1);
        }
        return text + "}";
    }
    case 1:
    {
        std::string text = "[";
        for (unsigned count = random() % 5, element = 0; element < count; ++element)
            text += std::string(element ? " , " : "") + randomDocument(random, depth + 1);
        return text + "]";
    }
    default:
        return scalars[random() % 8];
    }
}

std::string randomFilter(std::mt19937& random)
{
    const char* tokens[] = {"a", "b", "*", "-", "0", "1", "", "a~1b", "t~0x"};
    std::string filter;
    for (unsigned count = 1 + random() % 3, pointer = 0; pointer < count; ++pointer)
    {
        if (pointer > 0) filter += ' ';
        for (unsigned depth = random() % 4, token = 0; token < depth; ++token)
            filter += "/" + std::string(tokens[random() % 9]);
    }
    return filter;
}

TEST(FilterTest, OnePassWritesWhatTheTreeWrote)
{
    std::mt19937 random(25);
    for (int round = 0; round < 20000; ++round)
    {
        const std::string document = randomDocument(random, 0), filter = randomFilter(random);
        ASSERT_EQ(filtered(filter, document), TreeFilter::filtered(filter, document)) << filter << "\n" << document;
    }
}

} // namespace
