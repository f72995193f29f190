#include "json/pointer.h"

#include "json/value.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

using JsonTest::compact;
using JsonTest::parse;
using Kestrava::JSON::Pointer;
using Kestrava::JSON::Value;

namespace {

std::vector<std::string> tokensOf(const std::string& text)
{
    std::vector<std::string> tokens;
    const Pointer pointer(text);
    for (const Pointer::Part& part : pointer.parts())
        tokens.push_back(part.token());
    return tokens;
}

std::string errorOf(const std::string& text)
{
    try
    {
        Pointer pointer(text);
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "none";
}

int indexOf(const std::string& token)
{
    return Pointer::Part(("/" + token).data(), token.size() + 1).index();
}

const char* const document =
    R"({"a":{"b":[10,20,{"c":null}]},"a/b":1,"m~n":2,"~1":3,"a~0":4,"":5,"-":6})";

} // namespace

TEST(PointerTest, SplitsTextIntoTokens)
{
    EXPECT_TRUE(tokensOf("").empty());
    EXPECT_EQ(tokensOf("/a/b"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(tokensOf("/"), (std::vector<std::string>{""}));
    EXPECT_EQ(tokensOf("/a/"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(tokensOf("//"), (std::vector<std::string>{"", ""}));
    const std::string withNul("/a\0b/c", 6);
    EXPECT_EQ(tokensOf(withNul), (std::vector<std::string>{std::string("a\0b", 3), "c"}));
}

TEST(PointerTest, TextNotStartingWithASlashIsInvalid)
{
    EXPECT_EQ(errorOf("a/b"), "Invalid JSON pointer");
    EXPECT_EQ(errorOf("a"), "Invalid JSON pointer");
    EXPECT_EQ(errorOf("~1"), "Invalid JSON pointer");
    EXPECT_EQ(errorOf(" /a"), "Invalid JSON pointer");
    EXPECT_EQ(errorOf("/a"), "none");
    EXPECT_THROW(Pointer::Part("a", 1), std::runtime_error);
    EXPECT_THROW(Pointer::Part("", 0), std::runtime_error);
}

TEST(PointerTest, DecodesEachEscapeOnceInTheRightOrder)
{
    EXPECT_EQ(tokensOf("/a~1b"), (std::vector<std::string>{"a/b"}));
    EXPECT_EQ(tokensOf("/m~0n"), (std::vector<std::string>{"m~n"}));
    EXPECT_EQ(tokensOf("/~01"), (std::vector<std::string>{"~1"}));
    EXPECT_EQ(tokensOf("/a~00"), (std::vector<std::string>{"a~0"}));
    EXPECT_EQ(tokensOf("/~0~1~1~0"), (std::vector<std::string>{"~//~"}));
    EXPECT_EQ(tokensOf("/~10"), (std::vector<std::string>{"/0"}));
}

TEST(PointerTest, KeepsStrayTildesAsTheyAre)
{
    EXPECT_EQ(tokensOf("/~2"), (std::vector<std::string>{"~2"}));
    EXPECT_EQ(tokensOf("/~"), (std::vector<std::string>{"~"}));
    EXPECT_EQ(tokensOf("/a~/~"), (std::vector<std::string>{"a~", "~"}));
    const Value value = parse(R"({"~2":1,"~":2})");
    EXPECT_EQ(compact(Pointer("/~2").apply(value)), "1");
    EXPECT_EQ(compact(Pointer("/~").apply(value)), "2");
}

TEST(PointerTest, IndexesAreDecimalWithoutLeadingZerosWithinInt)
{
    EXPECT_EQ(indexOf("0"), 0);
    EXPECT_EQ(indexOf(""), 0);
    EXPECT_EQ(indexOf("7"), 7);
    EXPECT_EQ(indexOf("123"), 123);
    EXPECT_EQ(indexOf("2147483647"), INT_MAX);
    EXPECT_EQ(indexOf("01"), -1);
    EXPECT_EQ(indexOf("00"), -1);
    EXPECT_EQ(indexOf("-"), -1);
    EXPECT_EQ(indexOf("-1"), -1);
    EXPECT_EQ(indexOf("1a"), -1);
    EXPECT_EQ(indexOf(" 1"), -1);
    EXPECT_EQ(indexOf("+1"), -1);
    // Beyond int: no index, and never a small one by wrapping.
    EXPECT_EQ(indexOf("2147483648"), -1);
    EXPECT_EQ(indexOf("4294967296"), -1);
    EXPECT_EQ(indexOf("4294967297"), -1);
    EXPECT_EQ(indexOf("99999999999999999999999"), -1);
}

TEST(PointerTest, AppliesTokensToMembersAndElements)
{
    const Value value = parse(document);
    EXPECT_EQ(Pointer("").apply(value).object(), value.object());
    EXPECT_EQ(compact(Pointer("/a/b/1").apply(value)), "20");
    EXPECT_EQ(compact(Pointer("/a/b/2").apply(value)), R"({"c":null})");
    EXPECT_EQ(compact(Pointer("/a~1b").apply(value)), "1");
    EXPECT_EQ(compact(Pointer("/m~0n").apply(value)), "2");
    EXPECT_EQ(compact(Pointer("/~01").apply(value)), "3");
    EXPECT_EQ(compact(Pointer("/a~00").apply(value)), "4");
    EXPECT_EQ(compact(Pointer("/").apply(value)), "5");
    EXPECT_EQ(compact(Pointer("/-").apply(value)), "6");
    // The empty token is element 0 of an array.
    EXPECT_EQ(compact(Pointer("/a/b/").apply(value)), "10");
    // The shared value, not a copy.
    EXPECT_EQ(Pointer("/a").apply(value).object(), Pointer("/a").apply(value).object());
}

TEST(PointerTest, MissingPlacesGiveTheEmptyValueAndNoMatch)
{
    const Value value = parse(document);
    for (const char* text : {"/x", "/a/b/3", "/a/b/-", "/a/b/01", "/a/b/x", "/a/b/0/c", "/a/x/y",
                             "/a/b/4294967296", "/a/b/2/c/d", "/a~1b/c"})
    {
        EXPECT_EQ(Pointer(text).apply(value).object(), nullptr) << text;
        EXPECT_FALSE(Pointer(text).match(value)) << text;
    }
    EXPECT_FALSE(Pointer("/a").match(Value()));
    EXPECT_TRUE(Pointer("").match(Value()));
}

TEST(PointerTest, AMemberHoldingNullMatches)
{
    const Value value = parse(document);
    EXPECT_TRUE(Pointer("/a/b/2/c").match(value));
    EXPECT_EQ(Pointer("/a/b/2/c").apply(value).object(), nullptr);
    EXPECT_TRUE(Pointer("").match(value));
    EXPECT_TRUE(Pointer("/a/b/").match(value));
}

TEST(PointerTest, PartsMatchMembersAndValidIndexes)
{
    const Value object = parse(R"({"k":null})");
    const Value array = parse("[1,2]");
    EXPECT_TRUE(Pointer::Part("/k", 2).match(object));
    EXPECT_FALSE(Pointer::Part("/x", 2).match(object));
    EXPECT_TRUE(Pointer::Part("/1", 2).match(array));
    EXPECT_FALSE(Pointer::Part("/2", 2).match(array));
    EXPECT_FALSE(Pointer::Part("/-", 2).match(array));
    EXPECT_FALSE(Pointer::Part("/0", 2).match(parse("5")));
    EXPECT_EQ(Pointer::Part("/0", 2).apply(parse(R"("text")")).object(), nullptr);
}

TEST(PointerTest, TokensWithNulNameTheMembersHoldingU0000)
{
    Value value = parse(R"({"a":1,"a\u0000b":2})");
    const Pointer pointer(std::string("/a\0b", 4));
    EXPECT_TRUE(pointer.match(value));
    EXPECT_EQ(compact(pointer.apply(value)), "2");
    EXPECT_FALSE(Pointer(std::string("/a\0", 3)).match(value));
    EXPECT_TRUE(value.contains(parse(R"("a\u0000b")")));
    EXPECT_FALSE(value.contains(parse(R"("a\u0000")")));
    value.remove(pointer);
    EXPECT_EQ(compact(value), R"({"a":1})");
    value.set(Pointer(std::string("/\0", 2)), parse("3"));
    EXPECT_EQ(compact(value), R"({"a":1,"\u0000":3})");
}

TEST(PointerTest, ValueFromAMissingPlaceThrows)
{
    const Value value = parse(document);
    try
    {
        Value missing(value, Pointer("/a/x"));
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Input document did not match with JSON pointer");
    }
    EXPECT_THROW(Value(value, Pointer("/a/b/-")), std::runtime_error);
    EXPECT_EQ(Value(value, Pointer("/a/b/2/c")).object(), nullptr);
    EXPECT_EQ(compact(Value(value, Pointer("/a/b/0"))), "10");
    EXPECT_EQ(Value(value, Pointer("")).object(), value.object());
}
