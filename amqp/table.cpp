#include "amqp/table.h"

#include "amqp/detail/fielddecoder.h"
#include "amqp/exception.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/stringfield.h"

#include <ostream>

namespace AMQP
{

Table::Table(InBuffer& buffer) : Table(buffer, 0) {}

Table::Table(InBuffer& buffer, unsigned depth)
{
    detail::decodeFields(buffer,
                         [&](InBuffer& entries)
                         {
                             ShortString key(entries);
                             auto value = detail::decodeField(entries, depth + 1);
                             // The length of an unknown value cannot be known:
                             // nothing after it can be found.
                             if (!value) return false;
                             _fields[key.value()] = std::move(value);
                             return true;
                         });
}

Table::Table(const Table& other)
{
    for (const auto& [key, value] : other._fields)
        _fields.emplace(key, value->clone());
}

Table& Table::operator=(const Table& other)
{
    if (this != &other) *this = Table(other);
    return *this;
}

Table& Table::operator=(Table&& other) noexcept
{
    if (this != &other) _fields = std::move(other._fields);
    return *this;
}

Table& Table::set(const std::string& key, const Field& value)
{
    if (key.size() > 255)
        throw Exception("table key of " + std::to_string(key.size()) +
                        " octets is longer than 255 octets");
    _fields[key] = detail::storedField(value);
    return *this;
}

const Field& Table::get(const std::string& key) const
{
    auto found = _fields.find(key);
    return found == _fields.end() ? detail::emptyField() : *found->second;
}

std::vector<std::string> Table::keys() const
{
    std::vector<std::string> keys;
    keys.reserve(_fields.size());
    for (const auto& entry : _fields)
        keys.push_back(entry.first);
    return keys;
}

std::unique_ptr<Field> Table::clone() const
{
    return std::make_unique<Table>(*this);
}

size_t Table::size() const
{
    size_t size = 4;
    for (const auto& [key, value] : _fields)
        size += 1 + key.size() + 1 + value->size();
    return size;
}

void Table::fill(OutBuffer& buffer) const
{
    buffer.add(static_cast<uint32_t>(size() - 4));
    for (const auto& [key, value] : _fields)
    {
        buffer.add(static_cast<uint8_t>(key.size()));
        buffer.add(key);
        buffer.add(static_cast<uint8_t>(value->typeID()));
        value->fill(buffer);
    }
}

void Table::output(std::ostream& stream) const
{
    stream << "table(";
    const char* separator = "";
    for (const auto& [key, value] : _fields)
    {
        stream << separator << key << ":" << *value;
        separator = ",";
    }
    stream << ")";
}

} // namespace AMQP
