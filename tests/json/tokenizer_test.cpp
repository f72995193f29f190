#include "json/tokenizer.h"

#include "json/function.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

using JsonTest::compact;
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

TEST(TokenizerTest, RejectsDeepNestingWithoutCrashing)
{
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(JsonTest::parse(deep).object(), nullptr);
    const std::string shallow = std::string(20, '[') + std::string(20, ']');
    EXPECT_NE(JsonTest::parse(shallow).object(), nullptr);
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
