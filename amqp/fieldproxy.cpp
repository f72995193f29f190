#include "amqp/fieldproxy.h"

#include "amqp/booleanset.h"
#include "amqp/exception.h"
#include "amqp/numericfield.h"
#include "amqp/stringfield.h"
#include "amqp/table.h"

#include <cmath>
#include <limits>

namespace AMQP
{

FieldProxy& FieldProxy::operator=(bool value)
{
    _table->set(_key, BooleanSet(value));
    return *this;
}

FieldProxy& FieldProxy::operator=(const std::string& value)
{
    _table->set(_key, LongString(value));
    return *this;
}

FieldProxy& FieldProxy::operator=(const char* value)
{
    _table->set(_key, LongString(value));
    return *this;
}

FieldProxy& FieldProxy::operator=(const Table& value)
{
    _table->set(_key, value);
    return *this;
}

FieldProxy& FieldProxy::assignInteger(int64_t value)
{
    // Widened rather than sized to the C++ type: 'I' and 'l' are the integers
    // every client reads, and RabbitMQ closes the connection on the 16-bit 'U'.
    if (value >= std::numeric_limits<int32_t>::min() &&
        value <= std::numeric_limits<int32_t>::max())
        _table->set(_key, Int32(static_cast<int32_t>(value)));
    else
        _table->set(_key, LongInt(value));
    return *this;
}

FieldProxy& FieldProxy::assignUnsigned(uint64_t value)
{
    if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
        throw Exception("table value " + std::to_string(value) + " of key " + _key +
                        " does not fit a signed 64-bit integer, the widest RabbitMQ reads");
    return assignInteger(static_cast<int64_t>(value));
}

FieldProxy& FieldProxy::assignDouble(double value)
{
    if (!std::isfinite(value))
        throw Exception("table value " + std::to_string(value) + " of key " + _key +
                        " is not a finite number: RabbitMQ closes the connection on it");
    _table->set(_key, Double(value));
    return *this;
}

} // namespace AMQP
