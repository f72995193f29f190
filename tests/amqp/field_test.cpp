#include "amqp/field.h"

#include "amqp/array.h"
#include "amqp/booleanset.h"
#include "amqp/buffers/bytebuffer.h"
#include "amqp/decimalfield.h"
#include "amqp/table.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/numericfield.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/stringfield.h"
#include "amqp/voidfield.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

using namespace AMQP;
using AMQPTest::encode;
using AMQPTest::Octets;

namespace
{

std::string text(const Field& field)
{
    std::ostringstream stream;
    stream << field;
    return stream.str();
}

/// Decodes a type octet and value from octets, checking all were used.
std::unique_ptr<Field> decodeAll(const std::string& octets)
{
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    auto field = Field::decode(in);
    EXPECT_EQ(in.available(), 0u);
    return field;
}

} // namespace

TEST(FieldTest, NumbersGoOnTheWireBigEndian)
{
    EXPECT_EQ(encode(Int8(-2)), "\xFE");
    EXPECT_EQ(encode(UInt8(200)), "\xC8");
    EXPECT_EQ(encode(Int16(-2)), Octets().u16(0xFFFE).str());
    EXPECT_EQ(encode(UInt16(0x1234)), Octets().u16(0x1234).str());
    EXPECT_EQ(encode(Int32(-2)), Octets().u32(0xFFFFFFFE).str());
    EXPECT_EQ(encode(UInt32(0x12345678)), Octets().u32(0x12345678).str());
    EXPECT_EQ(encode(Int64(-2)), Octets().u64(0xFFFFFFFFFFFFFFFE).str());
    EXPECT_EQ(encode(UInt64(0x0102030405060708)), Octets().u64(0x0102030405060708).str());
    EXPECT_EQ(encode(Timestamp(1700000000)), Octets().u64(1700000000).str());
    EXPECT_EQ(encode(DecimalField(2, 12345)), Octets().u8(2).u32(12345).str());
}

TEST(FieldTest, FloatingPointGoesOnTheWireBigEndianLikeEveryOtherNumber)
{
    // IEEE 754: 1.0 is 3F800000 as a float and 3FF0000000000000 as a double.
    EXPECT_EQ(encode(Float(1.0f)), Octets().u32(0x3F800000).str());
    EXPECT_EQ(encode(Double(1.0)), Octets().u64(0x3FF0000000000000).str());

    auto decodedFloat = decodeAll(Octets().u8('f').u32(0xC0490FDB)); // -3.14159274
    EXPECT_FLOAT_EQ(static_cast<float>(*decodedFloat), -3.14159274f);
    auto decodedDouble = decodeAll(Octets().u8('d').raw(encode(Double(2.5e-300))));
    EXPECT_EQ(static_cast<double>(*decodedDouble), 2.5e-300);
}

TEST(FieldTest, EveryTypeDecodesToItsClassAndEncodesBackTheSame)
{
    const std::string values[] = {
        Octets().u8('t').u8(0x05),
        Octets().u8('b').u8(0x80),
        Octets().u8('B').u8(0xFF),
        Octets().u8('U').u16(0x8001),
        Octets().u8('u').u16(0xFFFF),
        Octets().u8('I').u32(0x80000001),
        Octets().u8('i').u32(0xFFFFFFFF),
        Octets().u8('L').u64(0x8000000000000001),
        Octets().u8('l').u64(0xFFFFFFFFFFFFFFFF),
        Octets().u8('f').u32(0x3F800000),
        Octets().u8('d').u64(0x3FF0000000000000),
        Octets().u8('T').u64(1700000000),
        Octets().u8('D').u8(3).u32(1234567),
        Octets().u8('s').u16(0x8001),
        Octets().u8('S').longString(std::string("long\0string", 11)),
        Octets().u8('x').longString(std::string("\x00\xFF\x01", 3)),
        Octets().u8('V'),
    };
    for (const auto& octets : values)
    {
        auto field = decodeAll(octets);
        ASSERT_TRUE(field) << "type " << octets[0];
        EXPECT_EQ(field->typeID(), octets[0]);
        EXPECT_EQ(field->size(), octets.size() - 1) << "type " << octets[0];
        EXPECT_EQ(std::string(1, field->typeID()) + encode(*field), octets);
        EXPECT_EQ(encode(*field->clone()), encode(*field));
    }
}

TEST(FieldTest, ByteArraysAreKept)
{
    auto field = decodeAll(Octets().u8('x').longString("\x01\x02"));
    ASSERT_TRUE(field);
    EXPECT_EQ(static_cast<const std::string&>(*field), "\x01\x02");
}

TEST(FieldTest, UnknownTypeOctetGivesNothingAndConsumesOnlyTheOctet)
{
    std::string octets = Octets().u8('Z').u32(7);
    ByteBuffer buffer(octets.data(), octets.size());
    InBuffer in(buffer);
    EXPECT_FALSE(Field::decode(in));
    EXPECT_EQ(in.consumed(), 1u);
}

TEST(FieldTest, TruncatedValuesThrowFrameOutOfRange)
{
    for (std::string octets :
         {Octets().u8('I').u16(1).str(), Octets().u8('s').u8(5).str(),
          Octets().u8('S').u32(0xFFFFFFFF).raw("abc").str(), Octets().u8('D').u8(1).str()})
    {
        ByteBuffer buffer(octets.data(), octets.size());
        InBuffer in(buffer);
        try
        {
            Field::decode(in);
            ADD_FAILURE() << "no exception for type " << octets[0];
        }
        catch (const ProtocolException& error)
        {
            EXPECT_STREQ(error.what(), "frame out of range");
        }
    }
}

TEST(FieldTest, IntegerConversionsNarrowAndReinterpretTheSign)
{
    UInt32 value(0x12345678);
    EXPECT_EQ(static_cast<unsigned char>(value), 0x78);
    EXPECT_EQ(static_cast<unsigned short>(value), 0x5678);
    EXPECT_EQ(static_cast<long>(value), 0x12345678);
    EXPECT_EQ(static_cast<short>(UInt16(0xFFFF)), -1);
    EXPECT_EQ(static_cast<unsigned int>(Int8(-1)), 0xFFFFFFFFu);
    EXPECT_EQ(static_cast<double>(UInt64(0xFFFFFFFFFFFFFFFF)), 18446744073709551615.0);
    EXPECT_TRUE(value.isInteger());
    EXPECT_TRUE(Timestamp(1).isInteger());
    EXPECT_FALSE(Double(1).isInteger());
    EXPECT_FALSE(Float(1).isInteger());
}

TEST(FieldTest, FloatingConversionsTruncateAndSaturateOutsideTheRange)
{
    EXPECT_EQ(static_cast<int>(Double(-2.9)), -2);
    EXPECT_EQ(static_cast<unsigned char>(Double(200.7)), 200);
    EXPECT_EQ(static_cast<int>(Double(1e300)), std::numeric_limits<int>::max());
    EXPECT_EQ(static_cast<long>(Double(-1e300)), std::numeric_limits<long>::min());
    EXPECT_EQ(static_cast<unsigned int>(Float(-5.0f)), 0u);
    EXPECT_EQ(static_cast<int>(Double(std::nan(""))), 0);
}

TEST(FieldTest, WhatAClassDoesNotConvertToIsEmpty)
{
    ShortString string("42");
    EXPECT_EQ(static_cast<int>(string), 0);
    EXPECT_EQ(static_cast<const char*>(string), nullptr);
    EXPECT_EQ(static_cast<const std::string&>(UInt8(1)), "");
    EXPECT_EQ(static_cast<const Table&>(string).keys().size(), 0u);
    EXPECT_EQ(static_cast<const Array&>(string).count(), 0u);
    EXPECT_EQ(static_cast<int>(DecimalField(0, 7)), 0);
    EXPECT_EQ(static_cast<double>(DecimalField(0, 7)), 7.0);
}

TEST(FieldTest, DecimalIsItsValueScaledByItsPlaces)
{
    DecimalField decimal(2, 12345);
    EXPECT_DOUBLE_EQ(static_cast<double>(decimal), 123.45);
    EXPECT_FLOAT_EQ(static_cast<float>(decimal), 123.45f);
    EXPECT_TRUE(decimal.isDecimal());
    EXPECT_EQ(text(decimal), "decimal(123.45)");
}

TEST(FieldTest, BooleanSetHoldsEightFlagsAndConvertsToNothing)
{
    BooleanSet set(true, false, true);
    EXPECT_EQ(encode(set), "\x05");
    EXPECT_TRUE(set.get(0));
    EXPECT_FALSE(set.get(1));
    EXPECT_TRUE(set.get(2));
    set.set(7, true);
    set.set(0, false);
    EXPECT_EQ(set.value(), 0x84);
    set.set(8, true);
    EXPECT_EQ(set.value(), 0x84);
    EXPECT_FALSE(set.get(8));
    EXPECT_EQ(static_cast<int>(set), 0);
    EXPECT_TRUE(set.isBoolean());
    EXPECT_EQ(text(BooleanSet(true)), "booleanset(1,0,0,0,0,0,0,0)");
}

TEST(FieldTest, TextForms)
{
    EXPECT_EQ(text(UInt8(65)), "numeric(A)");
    EXPECT_EQ(text(Int8(66)), "numeric(B)");
    EXPECT_EQ(text(Int32(-12)), "numeric(-12)");
    EXPECT_EQ(text(Timestamp(99)), "numeric(99)");
    EXPECT_EQ(text(ShortString("abc")), "string(abc)");
    EXPECT_EQ(text(LongString("def")), "string(def)");
    EXPECT_EQ(text(VoidField()), "void()");
}

TEST(FieldTest, ShortStringsLongerThan255OctetsAreRefusedNotCut)
{
    EXPECT_EQ(ShortString(std::string(255, 'q')).size(), 256u);
    EXPECT_THROW(ShortString(std::string(256, 'q')), Exception);
    EXPECT_EQ(LongString(std::string(256, 'q')).size(), 260u);
}
