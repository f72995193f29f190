#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

namespace AMQP
{

class Table;

/// What a table's index operator returns: assigning to it stores a value
/// under the key. A text becomes a long string ('S'), a bool a BooleanSet
/// with flag 0 set to it ('t'), a table a deep copy ('F'), a floating-point
/// number a double ('d'), and any other integer, an enumerator's value
/// included, a signed integer of the letters every peer reads: 'I' when it
/// fits 32 bits, else 'l' (64 bits). RabbitMQ takes either as a queue's or a
/// policy's integer argument. A pointer other than a text's is refused at
/// compile time rather than stored as a boolean.
class FieldProxy
{
    // A number, or an enumeration whose values turn into integers by
    // themselves (and so would into a bool).
    template <class Type>
    static constexpr bool isNumber =
        !std::is_same_v<Type, bool> &&
        (std::is_arithmetic_v<Type> || (std::is_enum_v<Type> && std::is_convertible_v<Type, int>));

public:
    /// table must outlive the proxy.
    FieldProxy(Table* table, std::string key) : _table(table), _key(std::move(key)) {}

    FieldProxy& operator=(const FieldProxy&) = delete;

    FieldProxy& operator=(bool value);
    FieldProxy& operator=(const std::string& value);
    FieldProxy& operator=(const char* value);
    FieldProxy& operator=(const Table& value);

    /// An unsigned value above 2^63-1, which no signed 64-bit integer holds,
    /// and a NaN or an infinity, on which RabbitMQ closes the connection,
    /// throw Exception.
    template <class Number, std::enable_if_t<isNumber<Number>, int> = 0>
    FieldProxy& operator=(Number value)
    {
        if constexpr (std::is_enum_v<Number>)
            return *this = static_cast<std::underlying_type_t<Number>>(value);
        else if constexpr (std::is_floating_point_v<Number>)
            return assignDouble(static_cast<double>(value));
        else if constexpr (std::is_signed_v<Number>)
            return assignInteger(static_cast<int64_t>(value));
        else
            return assignUnsigned(static_cast<uint64_t>(value));
    }

    /// Would become a bool.
    template <class Pointee> FieldProxy& operator=(const Pointee* value) = delete;

private:
    FieldProxy& assignInteger(int64_t value);
    FieldProxy& assignUnsigned(uint64_t value);
    FieldProxy& assignDouble(double value);

    Table* _table;
    std::string _key;
};

} // namespace AMQP
