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
/// number a double ('d'), and any other integer a signed integer of the
/// letters every peer reads: 'I' when it fits 32 bits, else 'l' (64 bits).
/// RabbitMQ takes either as a queue's or a policy's integer argument.
class FieldProxy
{
public:
    /// table must outlive the proxy.
    FieldProxy(Table* table, std::string key) : _table(table), _key(std::move(key)) {}

    FieldProxy& operator=(const FieldProxy&) = delete;

    FieldProxy& operator=(bool value);
    FieldProxy& operator=(const std::string& value);
    FieldProxy& operator=(const char* value);
    FieldProxy& operator=(const Table& value);

    /// An unsigned value above 2^63-1, which no signed 64-bit integer holds,
    /// throws Exception.
    template <
        class Number,
        std::enable_if_t<std::is_arithmetic_v<Number> && !std::is_same_v<Number, bool>, int> = 0>
    FieldProxy& operator=(Number value)
    {
        if constexpr (std::is_floating_point_v<Number>)
            return assignDouble(static_cast<double>(value));
        else if constexpr (std::is_signed_v<Number>)
            return assignInteger(static_cast<int64_t>(value));
        else
            return assignUnsigned(static_cast<uint64_t>(value));
    }

private:
    FieldProxy& assignInteger(int64_t value);
    FieldProxy& assignUnsigned(uint64_t value);
    FieldProxy& assignDouble(double value);

    Table* _table;
    std::string _key;
};

} // namespace AMQP
