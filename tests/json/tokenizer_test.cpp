#include "json/tokenizer.h"

#include "json/function.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

namespace function = Kestrava::JSON::function;
using JsonTest::compact;
using JsonTest::parse;
using JsonTest::reparsed;
using Kestrava::JSON::Tokenizer;
using Kestrava::JSON::Value;

namespace {

/// A heap copy of text without a terminating NUL, so that reading one byte
/// past it is caught by AddressSanitizer.
std::unique_ptr<char[]> unterminated(const std::string& text)
{
    std::unique_ptr<char[]> copy(new char[text.size()]);
    std::memcpy(copy.get(), text.data(), text.size());
    return copy;
}

} // namespace

TEST(TokenizerTest, ParsesCompleteDocuments)
{
    EXPECT_EQ(reparsed(R"({"a":[1,2.5,"x",true,false,null],"b":{}})"),
              R"({"a":[1,2.5,"x",true,false,null],"b":{}})");
    EXPECT_EQ(reparsed(" \n\t[ 1 , {\"k\" : \"v\"} ]\r\n "), R"([1,{"k":"v"}])");
    EXPECT_EQ(reparsed(R"("text")"), R"("text")");
}

TEST(TokenizerTest, CompletesBareNumbersWithABlank)
{
    Tokenizer tokenizer;
    const Value number = tokenizer.parse("123", 3);
    EXPECT_EQ(Kestrava::JSON::function::get_type(number.object()), fjson_type_int);
    EXPECT_EQ(Kestrava::JSON::function::get_int64(number.object()), 123);
    const Value real = tokenizer.parse("1.0", 3);
    EXPECT_EQ(Kestrava::JSON::function::get_type(real.object()), fjson_type_double);
    EXPECT_EQ(reparsed("-17"), "-17");
}

TEST(TokenizerTest, RejectsTextAfterTheFirstValue)
{
    for (const char* text :
         {"{}xyz", "[1,2]]", "12 34", "{} {}", "\"a\"b", "true false", "[1]\n,", "{\"a\":1}}"})
        EXPECT_EQ(reparsed(text), "invalid") << text;
}

TEST(TokenizerTest, RejectsTruncatedAndMalformedText)
{
    for (const char* text : {"{\"a\":", "{\"a\"", "[1,2", "\"open", "tru", "", "   ", "{,}",
                             "[1 2]", "nul", "-", "{\"a\" 1}", "\x01\x02\xff"})
        EXPECT_EQ(reparsed(text), "invalid") << text;
}

TEST(TokenizerTest, RefusesWhatIsNotJson)
{
    for (const std::string text :
         {// Extensions of other parsers.
          R"({"a":NaN})", "NaN", "Infinity", "-Infinity", "[Infinity]", "[-Infinity]", "/*c*/1",
          "[1]/*c*/", "[1]//c", "# c\n1", "[1,]", R"({"a":1,})", "['a']", "{'a':1}", "True",
          "False", "NULL",
          // Numbers outside the grammar.
          "[01]", "[-01]", "[00]", "[1.]", "[.5]", "[1e]", "[1e+]", "[+1]", "[0x10]", "[1.5.5]",
          // Strings with raw control characters, bad escapes or bad UTF-8.
          "[\"a\tb\"]", "[\"a\nb\"]", "[\"\x01\"]", "[\"\x1f\"]", R"(["\x41"])", R"(["\'"])",
          R"(["\u12"])", R"(["\u12G4"])", "[\"\xff\"]", "[\"\xc0\x80\"]", "[\"\xe0\x80\x80\"]",
          "[\"\xed\xa0\x80\"]", "[\"\xf4\x90\x80\x80\"]", "[\"\xc3\"]", "{\"\x80\":1}",
          // White space JSON does not know, and a byte order mark twice.
          "\x0c[1]", "\x0b[1]", "\xc2\xa0[1]", "\xef\xbb\xbf\xef\xbb\xbf[1]", "\xef\xbb\xbf"})
        EXPECT_EQ(reparsed(text), "invalid") << text;
}

TEST(TokenizerTest, KeepsEveryCharacterOfItsStrings)
{
    EXPECT_EQ(reparsed(R"({"k":"ab\u0000cd"})"), R"({"k":"ab\u0000cd"})");
    EXPECT_EQ(reparsed(R"({"a\u0000b":1,"a":2})"), R"({"a\u0000b":1,"a":2})");
    EXPECT_EQ(reparsed(R"({"\u0000":"\u0000"})"), R"({"\u0000":"\u0000"})");
    EXPECT_EQ(function::get_string_len(parse(R"("ab\u0000cd")").object()), 5);
    // Lone surrogates are written back as they came; a pair is one character.
    EXPECT_EQ(reparsed(R"(["\ud800","\udc00\ud800","\ud800A","\uDFFF"])"),
              R"(["\ud800","\udc00\ud800","\ud800A","\udfff"])");
    EXPECT_EQ(reparsed(R"(["\ud83d\ude00","\u00e9"])"), "[\"\xf0\x9f\x98\x80\",\"\xc3\xa9\"]");
    EXPECT_EQ(reparsed(R"(["\"\\\/\b\f\n\r\t\u001f\u007f"])"),
              "[\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u001f\x7f\"]");
}

TEST(TokenizerTest, KeepsTheTextOfNumbersBeyondAnInteger)
{
    EXPECT_EQ(reparsed("[9223372036854775807,-9223372036854775808]"),
              "[9223372036854775807,-9223372036854775808]");
    EXPECT_EQ(function::get_type(parse("9223372036854775807").object()), fjson_type_int);
    // Beyond 64 bits a number is a double with its own text, never clamped.
    EXPECT_EQ(reparsed("[9223372036854775808,-9223372036854775809]"),
              "[9223372036854775808,-9223372036854775809]");
    EXPECT_EQ(reparsed("[123456789012345678901234567890]"), "[123456789012345678901234567890]");
    EXPECT_EQ(reparsed("[1e400,-1e400,1.5e-400,12.50,1E5,-0.0]"),
              "[1e400,-1e400,1.5e-400,12.50,1E5,-0.0]");
    EXPECT_EQ(reparsed("-0"), "0");
}

TEST(TokenizerTest, SkipsALeadingByteOrderMark)
{
    EXPECT_EQ(reparsed("\xef\xbb\xbf{\"a\":\"b\"}"), R"({"a":"b"})");
    EXPECT_EQ(reparsed("\xef\xbb\xbf 7 "), "7");
}

TEST(TokenizerTest, GivesTheEmptyValueForJsonNull)
{
    EXPECT_EQ(JsonTest::parse("null").object(), nullptr);
}

TEST(TokenizerTest, SizeZeroReadsUpToTheFirstNul)
{
    Tokenizer tokenizer;
    const char text[] = "[1,2]\0garbage";
    EXPECT_EQ(compact(tokenizer.parse(text, 0)), "[1,2]");
    EXPECT_EQ(compact(tokenizer.parse(text, sizeof text - 1)), "null");
}

TEST(TokenizerTest, ExplicitLengthNeverReadsPastTheText)
{
    Tokenizer tokenizer;
    for (const std::string& text :
         std::initializer_list<std::string>{"[1,2,3]", "12", "{\"a\":\"b\"}  ", "{\"a\":", "1.5e3"})
    {
        const auto copy = unterminated(text);
        const Value value = tokenizer.parse(std::string_view(copy.get(), text.size()));
        EXPECT_EQ(value.object() != nullptr, text != "{\"a\":") << text;
    }
    // An empty body gives no value, and does not read for a NUL either.
    const auto one = unterminated("7");
    EXPECT_EQ(tokenizer.parse(std::string_view(one.get(), 0)).object(), nullptr);
    EXPECT_EQ(tokenizer.parse(std::string_view()).object(), nullptr);
}

TEST(TokenizerTest, NulBytesInsideTheLengthMakeTextInvalid)
{
    Tokenizer tokenizer;
    for (const std::string& text :
         {std::string("{}\0", 3), std::string("[\"a\0b\"]", 7), std::string("\0{}", 3)})
        EXPECT_EQ(tokenizer.parse(std::string_view(text)).object(), nullptr);
}

TEST(TokenizerTest, RefusesTextLongerThanLibfastjsonCanTake)
{
    Tokenizer tokenizer;
    // Refused by its length before a byte is read: the buffer is tiny.
    const char text[] = "[1]";
    const size_t tooLong = static_cast<size_t>(INT_MAX) + 1;
    EXPECT_EQ(tokenizer.parse(std::string_view(text, tooLong)).object(), nullptr);
    EXPECT_EQ(compact(tokenizer.parse(text, 3)), "[1]");
}

TEST(TokenizerTest, NestsAThousandLevelsAndRefusesDeeperWithoutCrashing)
{
    const auto nested = [](size_t depth)
    { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_NE(JsonTest::parse(nested(1000)).object(), nullptr);
    EXPECT_EQ(JsonTest::parse(nested(1001)).object(), nullptr);
    EXPECT_EQ(JsonTest::parse(nested(100000)).object(), nullptr);
    std::string objects;
    for (int level = 0; level < 1000; ++level)
        objects += "{\"a\":";
    objects += "1" + std::string(1000, '}');
    EXPECT_EQ(reparsed(objects), objects);
}

TEST(TokenizerTest, ParsesLargeDocuments)
{
    std::string text = "[";
    for (int index = 0; index < 100000; ++index)
        text += "{\"id\":" + std::to_string(index) + ",\"name\":\"item\"},";
    text.back() = ']';
    const Value value = JsonTest::parse(text);
    EXPECT_EQ(Kestrava::JSON::function::array_length(value.object()), 100000);
    text.pop_back();
    EXPECT_EQ(JsonTest::parse(text).object(), nullptr);
}

TEST(TokenizerTest, RecoversAfterFailuresWhenReused)
{
    Tokenizer tokenizer;
    EXPECT_EQ(tokenizer.parse("{\"a\":", 5).object(), nullptr);
    EXPECT_EQ(compact(tokenizer.parse("{\"b\":2}", 7)), "{\"b\":2}");
    EXPECT_EQ(tokenizer.parse("12 34", 5).object(), nullptr);
    EXPECT_EQ(compact(tokenizer.parse("[3]", 3)), "[3]");
    EXPECT_EQ(compact(tokenizer.parse("5", 1)), "5");
    EXPECT_EQ(compact(tokenizer.parse("[6]", 3)), "[6]");
}

TEST(TokenizerTest, NullDataGivesTheEmptyValue)
{
    Tokenizer tokenizer;
    EXPECT_EQ(tokenizer.parse(nullptr, 0).object(), nullptr);
    EXPECT_EQ(tokenizer.parse(nullptr, 10).object(), nullptr);
}
