#include "json/function.h"

#include "json/value.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace function = Kestrava::JSON::function;
using JsonTest::compact;
using JsonTest::parse;
using Kestrava::JSON::Value;

TEST(FunctionTest, ArrayOperationsRefuseNegativeIndexes)
{
    const Value array = parse("[1,2]");
    EXPECT_EQ(function::array_put_idx(array.object(), -1, function::new_int(3)), -1);
    EXPECT_EQ(function::array_add_idx(array.object(), -1, function::new_int(3)), -1);
    EXPECT_EQ(function::array_get_idx(array.object(), -1), nullptr);
    function::array_del_idx(array.object(), -1);
    function::array_del_idx(array.object(), INT_MIN);
    EXPECT_EQ(compact(array), "[1,2]");
}

TEST(FunctionTest, StoringAtIndexIntMaxIsRefused)
{
    // libfastjson would grow the array to INT_MAX + 1, which overflows.
    const Value array = parse("[1]");
    EXPECT_EQ(function::array_put_idx(array.object(), INT_MAX, function::new_int(3)), -1);
    EXPECT_EQ(function::array_add_idx(array.object(), INT_MAX, function::new_int(3)), -1);
    EXPECT_EQ(compact(array), "[1]");
}

TEST(FunctionTest, ContainerOperationsRefuseTheWrongType)
{
    const Value object = parse(R"({"a":1})");
    const Value array = parse("[1]");
    EXPECT_EQ(function::array_length(object.object()), 0);
    EXPECT_EQ(function::array_put_idx(object.object(), 0, function::new_int(3)), -1);
    EXPECT_EQ(function::array_add_idx(object.object(), 0, function::new_int(3)), -1);
    EXPECT_EQ(function::array_get_idx(object.object(), 0), nullptr);
    function::array_del_idx(object.object(), 0);
    EXPECT_EQ(function::object_length(array.object()), 0);
    function::object_add(array.object(), "a", function::new_int(3));
    function::object_del(array.object(), "a");
    fjson_object* member = array.object();
    EXPECT_FALSE(function::object_get_ex(array.object(), "a", &member));
    EXPECT_EQ(member, nullptr);
    EXPECT_EQ(compact(object), R"({"a":1})");
    EXPECT_EQ(compact(array), "[1]");
}

TEST(FunctionTest, ArrayAddIdxInsertsAppendsAndPads)
{
    const Value array = parse(R"(["x","y"])");
    ASSERT_EQ(function::array_add_idx(array.object(), 1, function::new_string("new")), 0);
    EXPECT_EQ(compact(array), R"(["x","new","y"])");
    ASSERT_EQ(function::array_add_idx(array.object(), 0, function::new_int(0)), 0);
    ASSERT_EQ(function::array_add_idx(array.object(), 4, function::new_int(4)), 0);
    EXPECT_EQ(compact(array), R"([0,"x","new","y",4])");
    ASSERT_EQ(function::array_add_idx(array.object(), 7, nullptr), 0);
    ASSERT_EQ(function::array_add_idx(array.object(), 7, function::new_int(7)), 0);
    EXPECT_EQ(compact(array), R"([0,"x","new","y",4,null,null,7,null])");
    const Value empty = parse("[]");
    ASSERT_EQ(function::array_add_idx(empty.object(), 0, function::new_int(1)), 0);
    EXPECT_EQ(compact(empty), "[1]");
}

TEST(FunctionTest, ArrayAddIdxKeepsSharedElementsAlive)
{
    const Value array = parse(R"([{"a":1},{"b":2},{"c":3}])");
    const Value second(function::get(function::array_get_idx(array.object(), 1)));
    ASSERT_EQ(function::array_add_idx(array.object(), 0, function::new_int(0)), 0);
    EXPECT_EQ(function::array_get_idx(array.object(), 2), second.object());
    function::array_del_idx(array.object(), 2);
    EXPECT_EQ(compact(second), R"({"b":2})");
    EXPECT_EQ(compact(array), R"([0,{"a":1},{"c":3}])");
}

TEST(FunctionTest, ArrayDelIdxOutsideTheArrayDoesNothing)
{
    const Value array = parse("[1,2,3]");
    function::array_del_idx(array.object(), 3);
    function::array_del_idx(array.object(), INT_MAX);
    EXPECT_EQ(compact(array), "[1,2,3]");
    function::array_del_idx(array.object(), 0);
    EXPECT_EQ(compact(array), "[2,3]");
}

TEST(FunctionTest, LengthsBeyondIntAreRefusedUnread)
{
    const char text[] = "abc";
    const size_t tooLong = static_cast<size_t>(INT_MAX) + 1;
    EXPECT_EQ(function::new_string_len(text, tooLong), nullptr);
    fjson_tokener* tokener = function::tokener_new();
    EXPECT_EQ(function::tokener_parse_ex(tokener, text, tooLong), nullptr);
    function::tokener_free(tokener);
}

TEST(FunctionTest, TokenerErrorsAreDescribed)
{
    fjson_tokener* tokener = function::tokener_new();
    EXPECT_EQ(function::tokener_parse_ex(tokener, "[1,", 3), nullptr);
    EXPECT_EQ(function::tokener_get_error(tokener), fjson_tokener_continue);
    function::tokener_reset(tokener);
    EXPECT_EQ(function::tokener_parse_ex(tokener, "]", 1), nullptr);
    EXPECT_NE(function::tokener_get_error(tokener), fjson_tokener_success);
    EXPECT_NE(function::tokener_error_desc(function::tokener_get_error(tokener)), nullptr);
    function::tokener_free(tokener);
    EXPECT_TRUE(function::available());
}

TEST(FunctionTest, SizeIsTheLengthOfTheSpacedText)
{
    const Value value = parse(R"({"a":[1,2]})");
    EXPECT_EQ(function::size(value.object()),
              std::string(function::to_json_string(value.object())).size());
}

TEST(FunctionTest, ToJsonStringKeepsEveryByteAndWritesOnlyJson)
{
    // The text a document is posted as: NUL in strings and names and lone
    // surrogates come out as the escapes they came in, never cut short or
    // as bytes that are no UTF-8.
    for (const char* text : {R"({"k":"ab\u0000cd"})", R"({"a\u0000b":["\ud800","x"]})",
                             R"(["\udc00\ud800",{"\u0000":"\u0000"}])"})
    {
        const Value value = parse(text);
        JsonTest::TextProcessor spaced;
        value.dumpto(spaced);
        EXPECT_EQ(function::to_json_string(value.object()), spaced.text()) << text;
        EXPECT_EQ(compact(parse(function::to_json_string(value.object()))), text);
    }

    // A value changed after it was written is written anew.
    const Value array = parse("[1]");
    EXPECT_STREQ(function::to_json_string(array.object()), "[ 1 ]");
    function::array_put_idx(array.object(), 1, function::new_string_len("a\0b", 3));
    EXPECT_STREQ(function::to_json_string(array.object()), R"([ 1, "a\u0000b" ])");

    // A double that is not finite has no JSON text.
    const Value infinite(function::new_double(HUGE_VAL));
    EXPECT_STREQ(function::to_json_string(infinite.object()), "null");
    EXPECT_STREQ(function::to_json_string(nullptr), "null");
}
