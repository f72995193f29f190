#pragma once

#include <iosfwd>
#include <memory>
#include <string>

namespace AMQP
{

class Array;
class InBuffer;
class OutBuffer;
class Table;

/// A typed value of a field table or array. Conversions and tests never
/// throw: what a class does not override yields "", 0, false or an empty
/// table or array.
class Field
{
public:
    virtual ~Field() = default;

    /// Reads one type octet and the value behind it. An octet of no known
    /// type, or a table or array nested too deep, gives an empty pointer,
    /// having consumed only the type octet. Reads past the end throw
    /// ProtocolException "frame out of range".
    static std::unique_ptr<Field> decode(InBuffer& buffer);

    /// A deep copy of the same class and value.
    virtual std::unique_ptr<Field> clone() const = 0;

    /// Octets the value occupies on the wire, without its type octet.
    virtual size_t size() const = 0;

    /// Writes the value, without its type octet.
    virtual void fill(OutBuffer& buffer) const = 0;

    /// The type octet.
    virtual char typeID() const = 0;

    /// Writes the text form, for instance numeric(5) or string(text).
    virtual void output(std::ostream& stream) const = 0;

    virtual operator const std::string&() const;
    virtual operator const char*() const { return nullptr; }
    virtual operator unsigned char() const { return 0; }
    virtual operator unsigned short() const { return 0; }
    virtual operator unsigned int() const { return 0; }
    virtual operator unsigned long() const { return 0; }
    virtual operator signed char() const { return 0; }
    virtual operator short() const { return 0; }
    virtual operator int() const { return 0; }
    virtual operator long() const { return 0; }
    virtual operator float() const { return 0; }
    virtual operator double() const { return 0; }
    /// The array itself for an array, else an empty one.
    virtual operator const Array&() const;
    /// The table itself for a table, else an empty one.
    virtual operator const Table&() const;

    virtual bool isInteger() const { return false; }
    virtual bool isDecimal() const { return false; }
    virtual bool isArray() const { return false; }
    virtual bool isTable() const { return false; }
    virtual bool isBoolean() const { return false; }
    virtual bool isString() const { return false; }
    virtual bool isVoid() const { return false; }
};

/// Writes the field's text form.
std::ostream& operator<<(std::ostream& stream, const Field& field);

} // namespace AMQP
