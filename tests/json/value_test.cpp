#include "json/value.h"

#include "json/function.h"
#include "json/pointer.h"
#include "json/processor.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace function = Kestrava::JSON::function;
using JsonTest::compact;
using JsonTest::parse;
using Kestrava::JSON::Pointer;
using Kestrava::JSON::Value;

TEST(ValueTest, CopiesShareTheValueAndOutliveEachOther)
{
    Value first = parse(R"({"a":1})");
    Value second = first;
    second.set(Pointer("/b"), parse("2"));
    EXPECT_EQ(compact(first), R"({"a":1,"b":2})");
    first = Value();
    EXPECT_EQ(compact(second), R"({"a":1,"b":2})");
    Value& alias = second;
    second = alias;
    Value moved = std::move(second);
    EXPECT_EQ(compact(moved), R"({"a":1,"b":2})");
}

TEST(ValueTest, ObjectsEqualWhateverTheMemberOrder)
{
    EXPECT_TRUE(
        parse(R"({"a":1,"b":[1,{"c":null}]})").equals(parse(R"({"b":[1,{"c":null}],"a":1})")));
    EXPECT_FALSE(parse(R"({"a":1})").equals(parse(R"({"a":1,"b":2})")));
    EXPECT_FALSE(parse(R"({"a":1,"b":2})").equals(parse(R"({"a":1,"c":2})")));
    EXPECT_FALSE(parse(R"({"a":1})").equals(parse(R"({"a":2})")));
}

TEST(ValueTest, ArraysEqualOnlyInTheSameOrder)
{
    EXPECT_TRUE(parse("[1,2]").equals(parse("[1,2]")));
    EXPECT_FALSE(parse("[1,2]").equals(parse("[2,1]")));
    EXPECT_FALSE(parse("[1,2]").equals(parse("[1,2,3]")));
}

TEST(ValueTest, ScalarsEqualByTypeAndValue)
{
    EXPECT_FALSE(parse("1").equals(parse("1.0")));
    EXPECT_TRUE(parse("1.0").equals(parse("1.00")));
    EXPECT_TRUE(parse("true").equals(parse("true")));
    EXPECT_FALSE(parse("true").equals(parse("false")));
    EXPECT_FALSE(parse("0").equals(parse("false")));
    EXPECT_TRUE(Value().equals(parse("null")));
    EXPECT_FALSE(Value().equals(parse("0")));
    EXPECT_FALSE(parse(R"("ab")").equals(parse(R"("abc")")));
    // Strings compare by length and bytes, embedded NULs included.
    const Value first(function::new_string_len("a\0b", 3));
    const Value second(function::new_string_len("a\0c", 3));
    EXPECT_FALSE(first.equals(second));
    EXPECT_TRUE(first.equals(Value(function::new_string_len("a\0b", 3))));
}

TEST(ValueTest, ShallowCloneSharesChildrenAndDeepCloneDoesNot)
{
    const Value original = parse(R"({"child":{"x":1},"list":[{"y":2}]})");
    Value shallow = original.clone(false);
    Value deep = original.clone(true);
    EXPECT_TRUE(shallow.equals(original));
    EXPECT_TRUE(deep.equals(original));
    shallow.set(Pointer("/top"), parse("0"));
    EXPECT_EQ(original.get(Pointer("/top")).object(), nullptr);

    original.get(Pointer("/child")).set(Pointer("/x"), parse("5"));
    original.get(Pointer("/list/0")).set(Pointer("/y"), parse("6"));
    EXPECT_EQ(compact(shallow.get(Pointer("/child"))), R"({"x":5})");
    EXPECT_EQ(compact(shallow.get(Pointer("/list"))), R"([{"y":6}])");
    EXPECT_EQ(compact(deep), R"({"child":{"x":1},"list":[{"y":2}]})");
}

TEST(ValueTest, ClonesEveryKindOfValue)
{
    const Value original = parse(R"([true,false,-7,2.5,"s\u0001",null,[],{},9007199254740993])");
    EXPECT_TRUE(original.clone(true).equals(original));
    EXPECT_EQ(compact(original.clone(true)), compact(original));
    EXPECT_EQ(Value().clone(true).object(), nullptr);
    const Value text(function::new_string_len("a\0b", 3));
    EXPECT_TRUE(text.clone(false).equals(text));
}

TEST(ValueTest, ClonedDoublesKeepValidText)
{
    // libfastjson's own text of a double made from the number alone would be
    // "1.0000000000000001e+300.0", which is not JSON.
    Value original = parse(R"([1e300,-2.5E+20,0.1])");
    const Value copy = original.clone(true);
    EXPECT_TRUE(parse(compact(copy)).equals(original));
    original = Value();
    EXPECT_EQ(compact(copy), "[1e300,-2.5E+20,0.1]");
}

TEST(ValueTest, ContainsMembersByNameAndElementsByValue)
{
    const Value object = parse(R"({"a":null,"1":2,"true":3})");
    EXPECT_TRUE(object.contains(parse(R"("a")")));
    EXPECT_FALSE(object.contains(parse(R"("b")")));
    EXPECT_TRUE(object.contains(parse("1")));
    EXPECT_TRUE(object.contains(parse("true")));
    EXPECT_FALSE(object.contains(Value()));

    const Value array = parse(R"([1,"a",{"k":[2]}])");
    EXPECT_TRUE(array.contains(parse(R"({"k":[2]})")));
    EXPECT_TRUE(array.contains(parse("1")));
    EXPECT_FALSE(array.contains(parse("1.0")));
    EXPECT_FALSE(array.contains(parse(R"("k")")));
    EXPECT_FALSE(parse(R"("a")").contains(parse(R"("a")")));
}

TEST(ValueTest, MembersVisitsEveryMemberWithASharedValue)
{
    const Value object = parse(R"({"a":1,"b":{"c":2},"n":null})");
    std::vector<std::string> names;
    object.members(
        [&names](const char* name, const Value& member)
        {
            names.emplace_back(name);
            if (std::string(name) == "b") member.remove(Pointer("/c"));
        });
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "n"}));
    EXPECT_EQ(compact(object), R"({"a":1,"b":{},"n":null})");

    int calls = 0;
    parse("[1,2]").members([&calls](const char*, const Value&) { ++calls; });
    EXPECT_EQ(calls, 0);
}

TEST(ValueTest, MembersWithAnEmptyCallbackThrowsAtTheFirstMember)
{
    const std::function<void(const char*, const Value&)> empty;
    EXPECT_NO_THROW(parse("{}").members(empty));
    EXPECT_THROW(parse(R"({"a":1})").members(empty), std::bad_function_call);
}

TEST(ValueTest, SerialisesSpacedAndCompact)
{
    const Value value = parse(R"({"a":[1,"x"],"b":{"c":null}})");
    JsonTest::TextProcessor spaced;
    const size_t spacedSize = value.dumpto(spaced);
    EXPECT_EQ(spaced.text(), function::to_json_string(value.object()));
    EXPECT_EQ(spacedSize, spaced.text().size());
    EXPECT_NE(spaced.text().find(' '), std::string::npos);

    JsonTest::TextProcessor plain;
    char buffer[128];
    const size_t plainSize = value.dumpto(plain, buffer, sizeof buffer);
    EXPECT_EQ(plainSize, plain.text().size());
    EXPECT_EQ(plain.text(), R"({"a":[1,"x"],"b":{"c":null}})");

    std::string withoutBlanks = spaced.text();
    withoutBlanks.erase(std::remove(withoutBlanks.begin(), withoutBlanks.end(), ' '),
                        withoutBlanks.end());
    EXPECT_EQ(withoutBlanks, plain.text());
}

TEST(ValueTest, SerialisesStringsWholeInBothForms)
{
    const Value value = parse(R"({"k\u0000":["ab\u0000cd","\ud800"]})");
    JsonTest::TextProcessor spaced;
    value.dumpto(spaced);
    EXPECT_EQ(spaced.text(), R"({ "k\u0000": [ "ab\u0000cd", "\ud800" ] })");
    EXPECT_EQ(compact(value), R"({"k\u0000":["ab\u0000cd","\ud800"]})");
    EXPECT_EQ(compact(Value(function::new_string_len("x\0y", 3))), R"("x\u0000y")");
    JsonTest::TextProcessor unbuffered;
    value.dumpto(unbuffered, nullptr, 0);
    EXPECT_EQ(unbuffered.text(), R"({"k\u0000":["ab\u0000cd","\ud800"]})");
}

TEST(ValueTest, DoublesMadeWithoutTextAreWrittenAsJson)
{
    Value value = parse("[]");
    for (double number : {2.0, 1e20, -0.5, std::nan(""), HUGE_VAL})
        value.add(Pointer("/-"), Value(function::new_double(number)));
    EXPECT_EQ(compact(value), "[2.0,1e+20,-0.5,null,null]");
    EXPECT_EQ(compact(value.clone(true)), "[2.0,1e+20,-0.5,null,null]");
}

TEST(ValueTest, CompactSerialisationIsWholeThroughAnyBufferSize)
{
    // Numbers of every length, made by libfastjson and parsed.
    Value value =
        parse(R"([-9223372036854775808,-2.2250738585072014e-308,"a\nb",[true],{"k":0.5}])");
    for (double number : {1.0 / 3, -1.2345678901234567e-300, 5e-324, 123.0})
        value.add(Pointer("/-"), Value(function::new_double(number)));
    JsonTest::TextProcessor reference;
    char large[4096];
    const size_t total = value.dumpto(reference, large, sizeof large);
    ASSERT_EQ(total, reference.text().size());
    for (size_t size = 1; size <= 80; ++size)
    {
        std::vector<char> buffer(size);
        JsonTest::TextProcessor processor;
        EXPECT_EQ(value.dumpto(processor, buffer.data(), size), total) << size;
        EXPECT_EQ(processor.text(), reference.text()) << size;
    }
}

TEST(ValueTest, SerialisationReturnsWhatTheProcessorTook)
{
    class Refusing : public Kestrava::JSON::Processor
    {
    public:
        size_t process(const char*, size_t) override { return 0; }
    } refusing;
    char buffer[64];
    EXPECT_EQ(parse("[1,2,3]").dumpto(refusing, buffer, sizeof buffer), 0u);
    EXPECT_EQ(parse("[1,2,3]").dumpto(refusing), 0u);
}

TEST(ValueTest, EmptyValueSerialisesAsNull)
{
    JsonTest::TextProcessor processor;
    Value().dumpto(processor);
    EXPECT_EQ(processor.text(), "null");
    EXPECT_EQ(compact(Value()), "null");
}
