#include "amqp/table.h"

#include "amqp/array.h"
#include "amqp/booleanset.h"
#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/numericfield.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/exception.h"
#include "amqp/stringfield.h"
#include "amqp/voidfield.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <sstream>
#include <type_traits>

using namespace AMQP;
using AMQPTest::encode;
using AMQPTest::Octets;

namespace
{

Table decodeTable(const std::string& octets, size_t* consumed = nullptr)
{
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    Table table(in);
    if (consumed) *consumed = in.consumed();
    return table;
}

std::string protocolError(const std::string& octets)
{
    try
    {
        decodeTable(octets);
    }
    catch (const ProtocolException& error)
    {
        return error.what();
    }
    return "no error";
}

Table sample()
{
    Table inner;
    inner["flag"] = true;
    Array list;
    list.push_back(UInt8(1));
    list.push_back(ShortString("two"));
    list.push_back(inner);
    Table table;
    table["text"] = "value";
    table["nested"] = inner;
    table.set("list", list);
    table.set("void", VoidField());
    table.set("x-expires", UInt64(60000));
    return table;
}

/// What callers name with an enumerator: RabbitMQ wants the number.
enum Priority
{
    lowest,
    highest = 10
};

} // namespace

TEST(TableTest, EmptyTableIsFourZeroOctets)
{
    EXPECT_EQ(encode(Table()), std::string(4, '\0'));
    EXPECT_EQ(Table().size(), 4u);
}

TEST(TableTest, ShortStringValueIsWrittenAsALongString)
{
    // Inside a table every peer reads 's' as a signed 16-bit integer.
    Table table;
    table.set("a", ShortString("b"));
    EXPECT_EQ(encode(table), Octets().u32(8).u8(1).raw("a").u8('S').longString("b").str());
    EXPECT_EQ(static_cast<const std::string&>(table.get("a")), "b");
}

TEST(TableTest, SignedShortsAsRabbitMQWritesThemAreNumbersAndTheTableReadsOn)
{
    // In key order, so that the table writes back the same octets.
    std::string entries = Octets()
                              .shortString("after")
                              .u8('B')
                              .u8(7)
                              .shortString("negative")
                              .u8('s')
                              .u16(0xFFFE)
                              .shortString("retries")
                              .u8('s')
                              .u16(3)
                              .shortString("wide")
                              .u8('s')
                              .u16(300);
    std::string octets = Octets().u32(uint32_t(entries.size())).raw(entries);
    Table table = decodeTable(octets);
    EXPECT_EQ(static_cast<int>(table.get("retries")), 3);
    EXPECT_EQ(static_cast<int>(table.get("wide")), 300);
    EXPECT_EQ(static_cast<int>(table.get("negative")), -2);
    EXPECT_TRUE(table.get("retries").isInteger());
    EXPECT_EQ(static_cast<int>(table.get("after")), 7);
    // Relayed unchanged.
    EXPECT_EQ(encode(table), octets);
}

TEST(TableTest, AssignedTextIsALongString)
{
    Table table;
    table["name"] = "value";
    table["other"] = std::string("x");
    EXPECT_EQ(table.get("name").typeID(), 'S');
    EXPECT_EQ(encode(table), Octets()
                                 .u32(27)
                                 .shortString("name")
                                 .u8('S')
                                 .longString("value")
                                 .shortString("other")
                                 .u8('S')
                                 .longString("x")
                                 .str());
}

TEST(TableTest, AssignedTrueIsABooleanSetWithFlagZero)
{
    Table table;
    table["active"] = true;
    EXPECT_EQ(encode(table), Octets().u32(9).shortString("active").u8('t').u8(1).str());
    const Field& value = table.get("active");
    EXPECT_EQ(static_cast<int>(value), 0);
    EXPECT_TRUE(dynamic_cast<const BooleanSet&>(value).get(0));
}

TEST(TableTest, AssignedNumbersAreIntegersEveryPeerReadsOrDoubles)
{
    struct Case
    {
        const char* _what;
        std::function<void(Table&)> _assign;
        std::string _value; // type octet and value
    };
    auto int32 = [](int32_t value) { return Octets().u8('I').u32(uint32_t(value)).str(); };
    auto int64 = [](int64_t value) { return Octets().u8('l').u64(uint64_t(value)).str(); };
    auto real = [](double value) { return "d" + encode(Double(value)); };
    const Case cases[] = {
        {"signed char", [](Table& t) { t["v"] = static_cast<signed char>(-5); }, int32(-5)},
        {"char", [](Table& t) { t["v"] = 'A'; }, int32(65)},
        {"unsigned char", [](Table& t) { t["v"] = static_cast<unsigned char>(200); }, int32(200)},
        {"short", [](Table& t) { t["v"] = static_cast<short>(-300); }, int32(-300)},
        {"unsigned short", [](Table& t) { t["v"] = static_cast<unsigned short>(65535); },
         int32(65535)},
        {"int", [](Table& t) { t["v"] = 5; }, int32(5)},
        {"int minimum", [](Table& t) { t["v"] = std::numeric_limits<int>::min(); },
         int32(std::numeric_limits<int>::min())},
        {"unsigned", [](Table& t) { t["v"] = 7u; }, int32(7)},
        {"unsigned past int", [](Table& t) { t["v"] = 4000000000u; }, int64(4000000000)},
        {"long", [](Table& t) { t["v"] = 60000L; }, int32(60000)},
        {"long past 32 bits", [](Table& t) { t["v"] = -5000000000L; }, int64(-5000000000)},
        {"long long minimum", [](Table& t) { t["v"] = std::numeric_limits<long long>::min(); },
         int64(std::numeric_limits<int64_t>::min())},
        {"unsigned long long maximum that fits",
         [](Table& t) { t["v"] = static_cast<unsigned long long>(INT64_MAX); }, int64(INT64_MAX)},
        {"uint8_t", [](Table& t) { t["v"] = uint8_t(255); }, int32(255)},
        {"int16_t", [](Table& t) { t["v"] = int16_t(-32768); }, int32(-32768)},
        {"uint32_t", [](Table& t) { t["v"] = UINT32_MAX; }, int64(UINT32_MAX)},
        {"int64_t", [](Table& t) { t["v"] = int64_t(1) << 40; }, int64(int64_t(1) << 40)},
        {"uint64_t", [](Table& t) { t["v"] = uint64_t(0); }, int32(0)},
        {"float", [](Table& t) { t["v"] = 1.5f; }, real(1.5)},
        {"double", [](Table& t) { t["v"] = -2.25; }, real(-2.25)},
        {"long double", [](Table& t) { t["v"] = 0.5L; }, real(0.5)},
        {"bool", [](Table& t) { t["v"] = false; }, "t" + std::string(1, '\0')},
        {"enumerator", [](Table& t) { t["v"] = highest; }, int32(10)},
    };
    // Nor does a pointer become a boolean.
    static_assert(!std::is_assignable_v<FieldProxy, const Table*>);
    static_assert(!std::is_assignable_v<FieldProxy, unsigned char*>);
    for (const auto& test : cases)
    {
        Table table;
        test._assign(table);
        std::string octets =
            Octets().u32(uint32_t(2 + test._value.size())).shortString("v").raw(test._value);
        EXPECT_EQ(encode(table), octets) << test._what;
        // Read back as what it was.
        Table decoded = decodeTable(octets);
        const Field& value = decoded.get("v");
        EXPECT_EQ(value.isInteger(), test._value[0] == 'I' || test._value[0] == 'l') << test._what;
        std::ostringstream expected, read;
        expected << table.get("v");
        read << value;
        EXPECT_EQ(read.str(), expected.str()) << test._what;
    }
}

TEST(TableTest, NumbersNoPeerReadsAreRefusedOrWidened)
{
    // Above 2^63-1: every peer but pika reads a 64-bit integer as signed.
    Table table;
    table["kept"] = 1;
    EXPECT_THROW(table["v"] = std::numeric_limits<uint64_t>::max(), Exception);
    EXPECT_THROW(table["v"] = uint64_t(INT64_MAX) + 1, Exception);
    // RabbitMQ closes the connection on a NaN or an infinity.
    EXPECT_THROW(table["v"] = std::nan(""), Exception);
    EXPECT_THROW(table["v"] = -std::numeric_limits<float>::infinity(), Exception);
    EXPECT_THROW(table["v"] = 1e400L, Exception);
    EXPECT_EQ(table.keys(), std::vector<std::string>{"kept"});
    // RabbitMQ closes the connection on a 'U'.
    table.set("short", Int16(-2));
    Array array;
    array.push_back(Int16(3));
    EXPECT_EQ(encode(table.get("short")), Octets().u16(0xFFFE).str());
    EXPECT_EQ(table.get("short").typeID(), 's');
    EXPECT_EQ(array.get(0).typeID(), 's');
    EXPECT_EQ(static_cast<int>(table.get("short")), -2);
    // A negative 'l', as RabbitMQ writes it, reads as itself.
    std::string negative = Octets().u32(11).shortString("n").u8('l').u64(uint64_t(-5));
    Table decoded = decodeTable(negative);
    const Field& read = decoded.get("n");
    EXPECT_EQ(static_cast<long>(read), -5);
    EXPECT_EQ(static_cast<double>(read), -5.0);
    std::ostringstream text;
    text << read;
    EXPECT_EQ(text.str(), "numeric(-5)");
}

TEST(TableTest, AbsentKeysReadAsEmptyAndZeroWithoutThrowing)
{
    Table table;
    const Field& absent = table.get("missing");
    EXPECT_EQ(absent.typeID(), 's');
    EXPECT_EQ(static_cast<const std::string&>(absent), "");
    EXPECT_EQ(static_cast<int>(absent), 0);
    EXPECT_EQ(static_cast<double>(absent), 0.0);
    EXPECT_FALSE(table.contains("missing"));
}

TEST(TableTest, EntriesAreKeptAndEncodedInKeyOrder)
{
    Table table;
    table.set("b", UInt8(2));
    table.set("a", UInt8(1));
    table.set("B", UInt8(3));
    EXPECT_EQ(table.keys(), (std::vector<std::string>{"B", "a", "b"}));
    std::ostringstream stream;
    stream << table;
    EXPECT_EQ(stream.str(), "table(B:numeric(\x03),a:numeric(\x01),b:numeric(\x02))");
}

TEST(TableTest, NestedTablesAndArraysRoundTrip)
{
    Table table = sample();
    std::string octets = encode(table);
    size_t consumed = 0;
    Table decoded = decodeTable(octets, &consumed);
    EXPECT_EQ(consumed, octets.size());
    EXPECT_EQ(encode(decoded), octets);
    const Array& list = decoded.get("list");
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(static_cast<int>(list.get(0)), 1);
    EXPECT_EQ(static_cast<const std::string&>(list.get(1)), "two");
    EXPECT_TRUE(static_cast<const Table&>(list.get(2)).contains("flag"));
    EXPECT_EQ(static_cast<uint64_t>(decoded.get("x-expires")), 60000u);
}

TEST(TableTest, CopiesAreDeep)
{
    Table original = sample();
    Table copy = original;
    copy["text"] = "changed";
    Table assigned;
    assigned = original;
    assigned["nested"] = Table();
    EXPECT_EQ(static_cast<const std::string&>(original.get("text")), "value");
    EXPECT_EQ(encode(original), encode(sample()));
    Table& alias = original;
    original = alias;
    EXPECT_EQ(encode(original), encode(sample()));
}

TEST(TableTest, LastOccurrenceOfAKeyWins)
{
    std::string octets =
        Octets().u32(8).shortString("k").u8('B').u8(1).shortString("k").u8('B').u8(2);
    EXPECT_EQ(static_cast<int>(decodeTable(octets).get("k")), 2);
}

TEST(TableTest, ByteArrayEntriesAreKeptAndLaterEntriesStillRead)
{
    std::string entries =
        Octets().shortString("a").u8('x').longString("\x01\x02\x03").shortString("b").u8('B').u8(7);
    std::string octets = Octets().u32(uint32_t(entries.size())).raw(entries);
    Table table = decodeTable(octets);
    EXPECT_EQ(table.get("a").typeID(), 'x');
    EXPECT_EQ(static_cast<const std::string&>(table.get("a")), "\x01\x02\x03");
    EXPECT_EQ(static_cast<int>(table.get("b")), 7);
    EXPECT_EQ(encode(table), octets);
}

TEST(TableTest, UnknownValueEndsTheTableWhoseRestIsSkippedByItsCount)
{
    // After the unknown 'Z' come octets that would read as a key "b" with a
    // value if decoding went on; they must not, and the field after the
    // table must be read where the table's count says it starts.
    std::string entries = Octets()
                              .shortString("a")
                              .u8('B')
                              .u8(1)
                              .shortString("z")
                              .u8('Z')
                              .shortString("b")
                              .u8('B')
                              .u8(9);
    std::string octets = Octets().u32(uint32_t(entries.size())).raw(entries).u16(0xBEEF);
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    Table table(in);
    EXPECT_EQ(table.keys(), std::vector<std::string>{"a"});
    EXPECT_EQ(in.nextUint16(), 0xBEEF);
}

TEST(TableTest, CountsRunningPastTheInputGiveFrameOutOfRange)
{
    EXPECT_EQ(protocolError(Octets().u32(100).shortString("a").u8('B').u8(1)),
              "frame out of range");
    // A count announcing more than a 32-bit machine could address.
    EXPECT_EQ(protocolError(Octets().u32(0xFFFFFFFF)), "frame out of range");
}

TEST(TableTest, ReadFailingInsideTheTableEndsItAndWhatFollowsIsReadByTheCount)
{
    const std::string good = Octets().shortString("a").u8('B').u8(1);
    const std::string cases[] = {
        // A value that would have to come from the octets after the table.
        Octets().raw(good).shortString("b").u8('I').u16(1),
        // A key whose length runs past the table.
        Octets().raw(good).u8(9).raw("abc"),
        // A string whose length runs past the table.
        Octets().raw(good).shortString("s").u8('S').u32(0xFFFFFFF0).raw("abc"),
        // A nested table whose count runs past the table around it.
        Octets().raw(good).shortString("t").u8('F').u32(50).shortString("c").u8('B').u8(2),
    };
    for (const auto& entries : cases)
    {
        std::string octets = Octets().u32(uint32_t(entries.size())).raw(entries).u16(0xBEEF);
        ByteBuffer buffer(octets.data(), octets.size());
        InBuffer in(buffer);
        Table table(in);
        EXPECT_EQ(table.keys(), std::vector<std::string>{"a"});
        EXPECT_EQ(in.nextUint16(), 0xBEEF);
    }
}

TEST(TableTest, NestingTooDeepIsDroppedNotRecursedInto)
{
    // 200 tables, each the only value of the one around it.
    std::string octets = Octets().u32(0);
    for (int level = 0; level < 200; ++level)
        octets = Octets().u32(uint32_t(octets.size() + 3)).shortString("n").u8('F').raw(octets);
    Table table = decodeTable(octets);
    int depth = 0;
    const Table* current = &table;
    while (current->contains("n"))
    {
        current = &static_cast<const Table&>(current->get("n"));
        ++depth;
    }
    EXPECT_GT(depth, 32);
    EXPECT_LT(depth, 200);
}

TEST(TableTest, KeysLongerThan255OctetsAreRefused)
{
    Table table;
    EXPECT_THROW(table.set(std::string(256, 'k'), UInt8(1)), Exception);
    table.set(std::string(255, 'k'), UInt8(1));
    EXPECT_EQ(table.size(), 4u + 1 + 255 + 1 + 1);
}

TEST(ArrayTest, EncodesElementsInOrderWithTheirTypes)
{
    Array array;
    array.push_back(UInt8(1));
    array.push_back(ShortString("ab"));
    EXPECT_EQ(encode(array), Octets().u32(9).u8('B').u8(1).u8('S').longString("ab").str());
    std::ostringstream stream;
    stream << array;
    EXPECT_EQ(stream.str(), "array(numeric(\x01),string(ab))");
    EXPECT_EQ(encode(Array()), std::string(4, '\0'));
}

TEST(ArrayTest, GetPastTheEndIsTheEmptyShortString)
{
    Array array;
    array.push_back(UInt8(1));
    EXPECT_EQ(array.get(array.count()).typeID(), 's');
    EXPECT_EQ(static_cast<const std::string&>(array.get(1)), "");
}

TEST(ArrayTest, ElementsBeyondTheFirst256CanBeRead)
{
    Array array;
    for (uint32_t index = 0; index < 300; ++index)
        array.push_back(UInt32(index));
    EXPECT_EQ(static_cast<unsigned>(array.get(299)), 299u);
    EXPECT_EQ(static_cast<unsigned>(array.get(256)), 256u);
}

TEST(ArrayTest, PopBackRemovesTheLastAndIgnoresAnEmptyArray)
{
    Array array;
    array.pop_back();
    array.push_back(UInt8(1));
    array.push_back(UInt8(2));
    array.pop_back();
    ASSERT_EQ(array.count(), 1u);
    EXPECT_EQ(static_cast<int>(array.get(0)), 1);
}

TEST(ArrayTest, UnknownElementEndsTheArrayWhoseRestIsSkipped)
{
    std::string elements = Octets().u8('B').u8(1).u8('Z').u8('B').u8(2);
    std::string octets = Octets().u32(uint32_t(elements.size())).raw(elements).u8(0x42);
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    Array array(in);
    EXPECT_EQ(array.count(), 1u);
    EXPECT_EQ(in.nextUint8(), 0x42);
}

TEST(ArrayTest, ReadFailingInsideTheArrayEndsItAndWhatFollowsIsRead)
{
    std::string elements = Octets().u8('s').u16(0xFFFF).u8('S').u32(40).raw("abc");
    std::string octets = Octets().u32(uint32_t(elements.size())).raw(elements).u8(0x42);
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    Array array(in);
    ASSERT_EQ(array.count(), 1u);
    EXPECT_EQ(static_cast<int>(array.get(0)), -1);
    EXPECT_EQ(in.nextUint8(), 0x42);
}
