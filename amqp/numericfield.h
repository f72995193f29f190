#pragma once

#include "amqp/field.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <type_traits>

namespace AMQP
{

/// A number of type T with the type octet Type. Conversions are the plain
/// value conversions (integers narrow modulo 2^n); a floating value that
/// does not fit the target integer type saturates, and NaN gives 0.
template <class T, char Type> class NumericField : public Field
{
public:
    using Value = T;

    NumericField(T value = T()) : _value(value) {}
    explicit NumericField(InBuffer& buffer) : _value(read(buffer)) {}

    T value() const { return _value; }

    std::unique_ptr<Field> clone() const override { return std::make_unique<NumericField>(*this); }
    size_t size() const override { return sizeof(T); }
    void fill(OutBuffer& buffer) const override { buffer.add(_value); }
    char typeID() const override { return Type; }
    void output(std::ostream& stream) const override
    {
        stream << "numeric(";
        // The 8-bit numbers show as the octet itself.
        if constexpr (sizeof(T) == 1)
            stream << static_cast<char>(_value);
        else
            stream << _value;
        stream << ")";
    }

    operator unsigned char() const override { return convert<unsigned char>(); }
    operator unsigned short() const override { return convert<unsigned short>(); }
    operator unsigned int() const override { return convert<unsigned int>(); }
    operator unsigned long() const override { return convert<unsigned long>(); }
    operator signed char() const override { return convert<signed char>(); }
    operator short() const override { return convert<short>(); }
    operator int() const override { return convert<int>(); }
    operator long() const override { return convert<long>(); }
    operator float() const override { return static_cast<float>(_value); }
    operator double() const override { return static_cast<double>(_value); }

    bool isInteger() const override { return std::is_integral_v<T>; }

private:
    static T read(InBuffer& buffer)
    {
        if constexpr (std::is_same_v<T, uint8_t>)
            return buffer.nextUint8();
        else if constexpr (std::is_same_v<T, int8_t>)
            return buffer.nextInt8();
        else if constexpr (std::is_same_v<T, uint16_t>)
            return buffer.nextUint16();
        else if constexpr (std::is_same_v<T, int16_t>)
            return buffer.nextInt16();
        else if constexpr (std::is_same_v<T, uint32_t>)
            return buffer.nextUint32();
        else if constexpr (std::is_same_v<T, int32_t>)
            return buffer.nextInt32();
        else if constexpr (std::is_same_v<T, uint64_t>)
            return buffer.nextUint64();
        else if constexpr (std::is_same_v<T, int64_t>)
            return buffer.nextInt64();
        else if constexpr (std::is_same_v<T, float>)
            return buffer.nextFloat();
        else
            return buffer.nextDouble();
    }

    template <class Target> Target convert() const
    {
        if constexpr (std::is_floating_point_v<T>)
        {
            // Out of range, the language leaves the conversion undefined.
            if (std::isnan(_value)) return 0;
            if (_value <= static_cast<T>(std::numeric_limits<Target>::min()))
                return std::numeric_limits<Target>::min();
            if (_value >= static_cast<T>(std::numeric_limits<Target>::max()))
                return std::numeric_limits<Target>::max();
        }
        return static_cast<Target>(_value);
    }

    T _value;
};

using Int8 = NumericField<int8_t, 'b'>;
using UInt8 = NumericField<uint8_t, 'B'>;
using Int16 = NumericField<int16_t, 'U'>;
/// The signed 16-bit integer under the letter RabbitMQ and the clients
/// around it write; kept apart from Int16 so that a relayed table keeps
/// its octets.
using ShortInt = NumericField<int16_t, 's'>;
using UInt16 = NumericField<uint16_t, 'u'>;
using Int32 = NumericField<int32_t, 'I'>;
using UInt32 = NumericField<uint32_t, 'i'>;
using Int64 = NumericField<int64_t, 'L'>;
/// The signed 64-bit integer under the letter RabbitMQ (and the Java and Go
/// clients) write and read; what an 'l' decodes to.
using LongInt = NumericField<int64_t, 'l'>;
/// An unsigned 64-bit number under 'l': peers that read the letter as
/// signed, RabbitMQ among them, see a value above 2^63-1 as negative.
using UInt64 = NumericField<uint64_t, 'l'>;
using Float = NumericField<float, 'f'>;
using Double = NumericField<double, 'd'>;
using Timestamp = NumericField<uint64_t, 'T'>;

} // namespace AMQP
