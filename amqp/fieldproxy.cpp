#include "amqp/fieldproxy.h"

#include "amqp/booleanset.h"
#include "amqp/stringfield.h"
#include "amqp/table.h"

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

} // namespace AMQP
