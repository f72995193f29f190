#include "app/filter.h"

#include "json/tokenizer.h"
#include "json/value.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <libfastjson/json.h>

namespace {

using Kestrava::JSON::Value;

Value parse(const std::string& text)
{
    Kestrava::JSON::Tokenizer tokenizer;
    Value value = tokenizer.parse(text);
    EXPECT_NE(value.object(), nullptr) << text;
    return value;
}

/// libfastjson's compact text; it writes "/" as "\/".
std::string compact(const Value& value)
{
    return fjson_object_to_json_string_ext(value.object(), FJSON_TO_STRING_PLAIN);
}

/// The document after the filter, compact.
std::string filtered(const std::string& filter, const std::string& document)
{
    Value value = parse(document);
    Filter(filter).apply(value);
    return compact(value);
}

std::vector<std::string> matchesOf(const char* pointer, const std::string& document, bool dash = false)
{
    std::vector<Kestrava::JSON::Pointer> matches;
    WildcardPointer(pointer, strlen(pointer)).find(parse(document), matches, dash);
    std::vector<std::string> texts;
    for (const auto& match : matches)
    {
        std::string text;
        for (const auto& part : match.parts()) text += "/" + part.token();
        texts.push_back(text);
    }
    return texts;
}

TEST(FilterTest, RemovesMembersAndElementsByPlainPointers)
{
    EXPECT_EQ(filtered("/secret", R"({"a":1,"secret":2,"b":3})"), R"({"a":1,"b":3})");
    EXPECT_EQ(filtered("/list/1", R"({"list":[0,1,2]})"), R"({"list":[0,2]})");
    EXPECT_EQ(filtered("/absent", R"({"a":1})"), R"({"a":1})");
    EXPECT_EQ(filtered("/a/b/c", R"({"a":1})"), R"({"a":1})");
    EXPECT_EQ(filtered("/list/-", R"({"list":[0,1]})"), R"({"list":[0,1]})");
}

TEST(FilterTest, UnescapesTokensAndWritesMatchesEscaped)
{
    EXPECT_EQ(filtered("/a~1b/*/c", R"({"a/b":[{"c":1,"d":2},{"c":3}],"a":{"b":[{"c":4}]}})"),
              R"({"a\/b":[{"d":2},{}],"a":{"b":[{"c":4}]}})");
    EXPECT_EQ(filtered("/t~0x", R"({"t~x":1,"t/x":2})"), R"({"t\/x":2})");
    EXPECT_EQ(filtered("/*/~01", R"([{"~1":1,"/":2}])"), R"([{"\/":2}])");
}

TEST(FilterTest, WildcardStepsIntoEveryArrayElementAndNothingElse)
{
    std::string items = "[";
    for (int index = 0; index < 12; ++index) items += std::string(index ? "," : "") + R"({"secret":1,"keep":2})";
    items += "]";
    std::string kept = "[";
    for (int index = 0; index < 12; ++index) kept += std::string(index ? "," : "") + R"({"keep":2})";
    kept += "]";
    EXPECT_EQ(filtered("/items/*/secret", R"({"items":)" + items + "}"), R"({"items":)" + kept + "}");

    EXPECT_EQ(filtered("/*/x", R"({"a":{"x":1}})"), R"({"a":{"x":1}})");
    EXPECT_EQ(filtered("/*/x", R"("scalar")"), R"("scalar")");
}

TEST(FilterTest, MatchesComeInDocumentOrder)
{
    std::string document = R"({"list":[{"tags":[{"id":1},{"id":2}]},{"tags":[]},{"tags":[{"id":3}]}]})";
    EXPECT_EQ(matchesOf("/list/*/tags/*/id", document),
              (std::vector<std::string>{"/list/0/tags/0/id", "/list/0/tags/1/id", "/list/2/tags/0/id"}));
    EXPECT_EQ(matchesOf("/list/*/tags/*/id", document, true),
              (std::vector<std::string>{"/list/-/tags/-/id", "/list/-/tags/-/id", "/list/-/tags/-/id"}));
    EXPECT_EQ(filtered("/list/*/tags/*/id", document),
              R"({"list":[{"tags":[{},{}]},{"tags":[]},{"tags":[{}]}]})");
}

TEST(FilterTest, FindRefusesAListThatIsNotEmpty)
{
    std::vector<Kestrava::JSON::Pointer> matches{Kestrava::JSON::Pointer("/a")};
    EXPECT_FALSE(WildcardPointer("/a", 2).find(parse(R"({"a":1})"), matches));
    EXPECT_EQ(matches.size(), 1u);
}

TEST(FilterTest, TrailingWildcardEmptiesTheArray)
{
    // Removed in the order found, every second element would survive.
    EXPECT_EQ(filtered("/list/*", R"({"list":[1,2,3,4,5],"b":0})"), R"({"list":[],"b":0})");
    EXPECT_EQ(filtered("/*", "[[1],[2],[3]]"), "[]");
    EXPECT_EQ(filtered("/a/*/*", R"({"a":[[1,2],[3,4,5]]})"), R"({"a":[[],[]]})");
}

TEST(FilterTest, SplitsAtSingleBlanksOnly)
{
    EXPECT_EQ(Filter("").pointers().size(), 0u);
    EXPECT_EQ(Filter("/x /y").pointers().size(), 2u);
    EXPECT_EQ(Filter("/x  /y").pointers().size(), 3u);
    EXPECT_EQ(filtered("/x  /y", R"({"x":1,"y":2,"z":3})"), R"({"z":3})");
    EXPECT_EQ(filtered("/x /y", R"({"x":1,"y":2,"z":3})"), R"({"z":3})");
    // A later pointer is searched in what the earlier ones left.
    EXPECT_EQ(filtered("/l/0 /l/0", R"({"l":[1,2,3]})"), R"({"l":[3]})");
}

TEST(FilterTest, AnEmptyPointerRemovesNothing)
{
    EXPECT_EQ(filtered(" ", R"({"x":1})"), R"({"x":1})");
    EXPECT_EQ(matchesOf("", R"({"x":1})"), std::vector<std::string>{""});
}

TEST(FilterTest, RefusesWordsThatAreNoPointer)
{
    EXPECT_EQ(Testing::failureOf([] { Filter("/x y"); }), "Could not parse filter list: Invalid JSON pointer");
    EXPECT_EQ(Testing::failureOf([] { Filter("\t/x"); }), "Could not parse filter list: Invalid JSON pointer");
    EXPECT_EQ(Testing::failureOf([] { WildcardPointer("a", 1); }), "Invalid JSON pointer");
}

} // namespace
