#include "amqp/field.h"

#include "amqp/array.h"
#include "amqp/booleanset.h"
#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/decimalfield.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/detail/fielddecoder.h"
#include "amqp/numericfield.h"
#include "amqp/stringfield.h"
#include "amqp/table.h"
#include "amqp/voidfield.h"

#include <ostream>

namespace AMQP
{

Field::operator const std::string&() const
{
    static const std::string empty;
    return empty;
}

// Defined here rather than overridden: a table or array converting to a
// reference to its own type would never call an override directly.
Field::operator const Array&() const
{
    static const Array empty;
    return isArray() ? static_cast<const Array&>(*this) : empty;
}

Field::operator const Table&() const
{
    static const Table empty;
    return isTable() ? static_cast<const Table&>(*this) : empty;
}

std::unique_ptr<Field> Field::decode(InBuffer& buffer)
{
    return detail::decodeField(buffer, 0);
}

std::ostream& operator<<(std::ostream& stream, const Field& field)
{
    field.output(stream);
    return stream;
}

namespace detail
{

std::unique_ptr<Field> decodeField(InBuffer& buffer, unsigned depth)
{
    switch (buffer.nextUint8())
    {
    case 't':
        return std::make_unique<BooleanSet>(buffer);
    case 'b':
        return std::make_unique<Int8>(buffer);
    case 'B':
        return std::make_unique<UInt8>(buffer);
    case 'U':
        return std::make_unique<Int16>(buffer);
    case 'u':
        return std::make_unique<UInt16>(buffer);
    case 'I':
        return std::make_unique<Int32>(buffer);
    case 'i':
        return std::make_unique<UInt32>(buffer);
    case 'L':
        return std::make_unique<Int64>(buffer);
    case 'l':
        return std::make_unique<LongInt>(buffer);
    case 'f':
        return std::make_unique<Float>(buffer);
    case 'd':
        return std::make_unique<Double>(buffer);
    case 'T':
        return std::make_unique<Timestamp>(buffer);
    case 'D':
        return std::make_unique<DecimalField>(buffer);
    case 's':
        return std::make_unique<ShortInt>(buffer);
    case 'S':
        return std::make_unique<LongString>(buffer);
    case 'x':
        return std::make_unique<ByteArray>(buffer);
    case 'V':
        return std::make_unique<VoidField>(buffer);
    case 'A':
        if (depth >= maxFieldDepth) return nullptr;
        return std::unique_ptr<Field>(new Array(buffer, depth));
    case 'F':
        if (depth >= maxFieldDepth) return nullptr;
        return std::unique_ptr<Field>(new Table(buffer, depth));
    default:
        return nullptr;
    }
}

std::unique_ptr<Field> storedField(const Field& value)
{
    // Inside a table 's' is a signed 16-bit integer to every peer.
    if (auto text = dynamic_cast<const ShortString*>(&value))
        return std::make_unique<LongString>(text->value());
    // RabbitMQ closes the connection on a 'U' it reads (INTERNAL_ERROR).
    if (auto number = dynamic_cast<const Int16*>(&value))
        return std::make_unique<ShortInt>(number->value());
    return value.clone();
}

void decodeFields(InBuffer& buffer, const std::function<bool(InBuffer&)>& decodeOne)
{
    // Fields are read from the container's own octets only, so that a
    // count that lies can neither pull in what follows nor leave part of
    // the container to be misread by the next field.
    uint32_t count = buffer.nextUint32();
    ByteBuffer octets(buffer.nextData(count), count);
    InBuffer fields(octets);
    try
    {
        while (fields.available() > 0 && decodeOne(fields))
        {
        }
    }
    // A field that runs past the container ends it like an unknown type:
    // the rest is skipped by the count, the frame around stays readable.
    catch (const ProtocolException&)
    {
    }
}

const Field& emptyField()
{
    static const ShortString empty;
    return empty;
}

} // namespace detail

} // namespace AMQP
