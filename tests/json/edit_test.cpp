// Editing a Value by pointer.

#include "json/value.h"

#include "json/pointer.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <string>

using JsonTest::compact;
using JsonTest::parse;
using Kestrava::JSON::Pointer;
using Kestrava::JSON::Value;

namespace {

Pointer at(const char* text)
{
    return Pointer(std::string(text));
}

} // namespace

TEST(EditTest, TheEmptyPointerChangesNothing)
{
    Value value = parse(R"({"a":[1]})");
    const Value other = value;
    value.set(at(""), parse("1"));
    value.add(at(""), parse("1"));
    value.remove(at(""));
    value.replace(at(""), parse("1"));
    EXPECT_EQ(value.object(), other.object());
    EXPECT_EQ(value.get(at("")).object(), value.object());
    EXPECT_EQ(compact(value), R"({"a":[1]})");
}

TEST(EditTest, AddInsertsAppendsAndPads)
{
    Value value = parse(R"({"arr":["x","y"],"one":["x"]})");
    value.add(at("/arr/1"), parse(R"("new")"));
    EXPECT_EQ(compact(value.get(at("/arr"))), R"(["x","new","y"])");
    value.add(at("/arr/-"), parse("9"));
    value.add(at("/arr/4"), parse("10"));
    EXPECT_EQ(compact(value.get(at("/arr"))), R"(["x","new","y",9,10])");
    value.add(at("/one/5"), parse(R"("new")"));
    EXPECT_EQ(compact(value.get(at("/one"))), R"(["x",null,null,null,null,"new"])");
    value.add(at("/obj"), parse("{}"));
    value.add(at("/obj/k"), parse("1"));
    value.add(at("/obj/k"), parse("2"));
    EXPECT_EQ(compact(value.get(at("/obj"))), R"({"k":2})");
}

TEST(EditTest, AddChangesNothingWithoutAFittingParent)
{
    Value value = parse(R"({"arr":[1],"s":"text","n":null})");
    for (const char* text :
         {"/missing/x", "/arr/01", "/arr/x", "/s/0", "/n/x", "/arr/0/x", "/-", "/arr/4294967296"})
        value.add(at(text), parse("7"));
    EXPECT_EQ(compact(value), R"({"arr":[1],"s":"text","n":null})");
    Value empty;
    empty.add(at("/a"), parse("1"));
    EXPECT_EQ(empty.object(), nullptr);
}

TEST(EditTest, RemoveDeletesMembersAndShiftsElements)
{
    const Value value = parse(R"({"a":1,"b":{"c":[0,1,2,3]},"n":null})");
    const Value other = value;
    value.remove(at("/a"));
    value.remove(at("/b/c/1"));
    value.remove(at("/n"));
    EXPECT_EQ(compact(other), R"({"b":{"c":[0,2,3]}})");
    value.remove(at("/b/c/"));
    EXPECT_EQ(compact(other), R"({"b":{"c":[2,3]}})");
}

TEST(EditTest, RemoveOfNoPlaceChangesNothing)
{
    const Value value = parse(R"({"arr":[0,1,2],"-":3})");
    for (const char* text : {"/arr/-", "/arr/01", "/arr/3", "/arr/x", "/missing", "/missing/0",
                             "/arr/0/x", "/-", "/arr/2147483648", "/arr/-1"})
        value.remove(at(text));
    EXPECT_EQ(compact(value), R"({"arr":[0,1,2],"-":3})");
}

TEST(EditTest, RemoveNeverTakesAHugeIndexForElementZero)
{
    const Value value = parse("[\"first\",\"second\"]");
    value.remove(at("/4294967296"));
    value.remove(at("/4294967297"));
    value.remove(at("/18446744073709551616"));
    EXPECT_EQ(compact(value), R"(["first","second"])");
}

TEST(EditTest, StoringAtTheLargestIndexChangesNothing)
{
    Value value = parse(R"({"arr":[1]})");
    value.add(at("/arr/2147483647"), parse("2"));
    value.replace(at("/arr/2147483647"), parse("2"));
    value.set(at("/arr/2147483647"), parse("2"));
    value.set(at("/arr/2147483647/x"), parse("2"));
    value.copy(at("/arr/0"), at("/arr/2147483647"));
    value.move(at("/arr/0"), at("/arr/2147483647"));
    EXPECT_EQ(compact(value), R"({"arr":[1]})");
}

TEST(EditTest, ReplaceOverwritesAddsMembersAndPads)
{
    Value value = parse(R"({"arr":["x","y"]})");
    value.replace(at("/arr/1"), parse(R"("new")"));
    EXPECT_EQ(compact(value.get(at("/arr"))), R"(["x","new"])");
    value.replace(at("/arr/3"), parse("3"));
    EXPECT_EQ(compact(value.get(at("/arr"))), R"(["x","new",null,3])");
    value.replace(at("/arr/-"), parse("4"));
    value.replace(at("/arr/01"), parse("4"));
    value.replace(at("/-"), parse("4"));
    EXPECT_EQ(compact(value.get(at("/arr"))), R"(["x","new",null,3])");
    value.replace(at("/missing"), parse("5"));
    EXPECT_EQ(compact(value.get(at("/missing"))), "5");
    value.replace(at("/missing"), parse("6"));
    EXPECT_EQ(compact(value), R"({"arr":["x","new",null,3],"missing":6})");
}

TEST(EditTest, SetBuildsWhatIsMissing)
{
    Value value;
    value.set(at("/a/b/0"), parse(R"("v")"));
    EXPECT_EQ(compact(value), R"({"a":{"b":["v"]}})");
    value.set(at("/a/b/-"), parse(R"("w")"));
    value.set(at("/a/b/3"), parse(R"("z")"));
    EXPECT_EQ(compact(value), R"({"a":{"b":["v","w",null,"z"]}})");
    value.set(at("/a/b/x"), parse("1"));
    EXPECT_EQ(compact(value), R"({"a":{"b":{"x":1}}})");
    value.set(at("/list/-/name"), parse(R"("n")"));
    EXPECT_EQ(compact(value.get(at("/list"))), R"([{"name":"n"}])");
}

TEST(EditTest, SetTakesTokensOnObjectsAsMemberNames)
{
    Value value = parse(R"({"keep":1,"inner":{"also":2}})");
    const Value other = value;
    value.set(at("/0"), parse(R"("zero")"));
    value.set(at("/inner/5/x"), parse("3"));
    value.set(at("/-"), parse("4"));
    EXPECT_EQ(value.object(), other.object());
    EXPECT_EQ(compact(value), R"({"keep":1,"inner":{"also":2,"5":{"x":3}},"0":"zero","-":4})");
}

TEST(EditTest, SetReplacesScalarsAndTheHandleOnlyForThisHandle)
{
    Value value = parse(R"({"s":"text"})");
    value.set(at("/s/0"), parse("1"));
    EXPECT_EQ(compact(value), R"({"s":[1]})");

    Value array = parse("[1]");
    const Value other = array;
    array.set(at("/name"), parse("2"));
    EXPECT_EQ(compact(array), R"({"name":2})");
    EXPECT_EQ(compact(other), "[1]");
}

TEST(EditTest, SetWithItsOwnHandleStoresTheOldValue)
{
    Value value = parse("[1]");
    value.set(at("/a"), value);
    EXPECT_EQ(compact(value), R"({"a":[1]})");
}

TEST(EditTest, CopySharesTheCopiedValue)
{
    Value value = parse(R"({"from":{"x":[1]},"to":{}})");
    value.copy(at("/from"), at("/to/copy"));
    value.replace(at("/to/copy/x/0"), parse("2"));
    EXPECT_EQ(compact(value), R"({"from":{"x":[2]},"to":{"copy":{"x":[2]}}})");
    value.copy(at("/missing"), at("/to/other"));
    value.copy(at("/from"), at("/missing/other"));
    EXPECT_EQ(compact(value), R"({"from":{"x":[2]},"to":{"copy":{"x":[2]}}})");
}

TEST(EditTest, CopyIntoItsOwnSubtreeCopiesTheValue)
{
    Value value = parse(R"({"a":{"b":1}})");
    value.copy(at("/a"), at("/a/c"));
    EXPECT_EQ(compact(value), R"({"a":{"b":1,"c":{"b":1}}})");
    value.copy(at(""), at("/whole"));
    EXPECT_EQ(compact(value), R"({"a":{"b":1,"c":{"b":1}},"whole":{"a":{"b":1,"c":{"b":1}}}})");
}

TEST(EditTest, AddingAValueInsideItselfStoresACopy)
{
    Value value = parse(R"({"x":[1]})");
    value.add(at("/self"), value);
    value.replace(at("/x/0"), value.get(at("/x")));
    EXPECT_EQ(compact(value), R"({"x":[[1]],"self":{"x":[1]}})");
}

TEST(EditTest, MoveRemovesThenAdds)
{
    Value value = parse(R"({"a":{"b":1},"list":[0,1,2]})");
    value.move(at("/a/b"), at("/c"));
    EXPECT_EQ(compact(value), R"({"a":{},"list":[0,1,2],"c":1})");
    // The target is resolved after the removal.
    value.move(at("/list/0"), at("/list/2"));
    EXPECT_EQ(compact(value.get(at("/list"))), "[1,2,0]");
    value.move(at("/list"), at("/a/list"));
    EXPECT_EQ(compact(value), R"({"a":{"list":[1,2,0]},"c":1})");
}

TEST(EditTest, MoveIntoItsOwnSubtreeIsRefused)
{
    Value value = parse(R"({"a":{"b":{}},"list":[{"x":1},{"y":2}]})");
    const std::string before = compact(value);
    value.move(at("/a"), at("/a/b/c"));
    value.move(at("/a"), at("/a/c"));
    value.move(at("/list/0"), at("/list/0/z"));
    value.move(at("/list/0"), at("/list//z"));
    value.move(at(""), at("/x"));
    EXPECT_EQ(compact(value), before);
}

TEST(EditTest, MoveToAPlaceThatCannotTakeItKeepsTheValue)
{
    Value value = parse(R"({"a":1,"list":[0,1,2],"s":"t"})");
    const std::string before = compact(value);
    value.move(at("/a"), at("/missing/a"));
    value.move(at("/list/1"), at("/s/0"));
    value.move(at("/list/1"), at("/list/01"));
    value.move(at("/a"), at(""));
    EXPECT_TRUE(value.equals(parse(before)));
    EXPECT_EQ(compact(value.get(at("/list"))), "[0,1,2]");
}

TEST(EditTest, MoveNeverMakesASharedValueContainItself)
{
    Value value = parse(R"({"a":{"k":1}})");
    value.copy(at("/a"), at("/b"));
    value.move(at("/a"), at("/b/inner"));
    EXPECT_EQ(compact(value), R"({"a":{"k":1},"b":{"k":1}})");
}

TEST(EditTest, TestComparesTheValueAtThePlace)
{
    const Value value = parse(R"({"a":[1,{"b":null}]})");
    EXPECT_TRUE(value.test(at("/a/0"), parse("1")));
    EXPECT_FALSE(value.test(at("/a/0"), parse("1.0")));
    EXPECT_TRUE(value.test(at("/a/1/b"), Value()));
    EXPECT_FALSE(value.test(at("/a/1/c"), Value()));
    EXPECT_TRUE(value.test(at(""), parse(R"({"a":[1,{"b":null}]})")));
}
