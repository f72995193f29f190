#pragma once

#include "amqp/exception.h"
#include "amqp/field.h"
#include "amqp/numericfield.h"

#include <limits>
#include <ostream>
#include <string>
#include <utility>

namespace AMQP
{

/// Octets behind a length of type Length (a NumericField). A text longer
/// than the length can count is refused with an Exception rather than cut:
/// a truncated queue or exchange name would name something else.
template <class Length, char Type> class StringField : public Field
{
public:
    StringField() = default;
    StringField(std::string value) : _value(std::move(value)) { check(); }
    StringField(const char* value) : _value(value) { check(); }
    explicit StringField(InBuffer& buffer)
    {
        auto length = Length(buffer).value();
        _value.assign(buffer.nextData(length), length);
    }

    const std::string& value() const { return _value; }

    std::unique_ptr<Field> clone() const override { return std::make_unique<StringField>(*this); }
    size_t size() const override { return sizeof(typename Length::Value) + _value.size(); }
    void fill(OutBuffer& buffer) const override
    {
        Length(static_cast<typename Length::Value>(_value.size())).fill(buffer);
        buffer.add(_value);
    }
    char typeID() const override { return Type; }
    void output(std::ostream& stream) const override { stream << "string(" << _value << ")"; }

    operator const std::string&() const override { return _value; }
    bool isString() const override { return true; }

private:
    void check() const
    {
        if (_value.size() > std::numeric_limits<typename Length::Value>::max())
            throw Exception("text of " + std::to_string(_value.size()) +
                            " octets is too long for an AMQP " +
                            (sizeof(typename Length::Value) == 1 ? "short" : "long") + " string");
    }

    std::string _value;
};

using ShortString = StringField<UInt8, 's'>;
using LongString = StringField<UInt32, 'S'>;
/// Octets that other clients send as a byte array; kept so that no value is
/// lost and the table around it can be read on.
using ByteArray = StringField<UInt32, 'x'>;

} // namespace AMQP
