#pragma once

#include <string>

namespace AMQP
{

class Table;

/// What a table's index operator returns: assigning to it stores a value
/// under the key. A text becomes a long string ('S'), a bool a BooleanSet
/// with flag 0 set to it ('t'), a table a deep copy ('F').
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

private:
    Table* _table;
    std::string _key;
};

} // namespace AMQP
