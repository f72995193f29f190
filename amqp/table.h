#pragma once

#include "amqp/detail/fielddecoder.h"
#include "amqp/field.h"
#include "amqp/fieldproxy.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace AMQP
{

/// A field table: one owned value per key, kept, encoded and printed in
/// ascending byte order of the keys. Copies are deep.
class Table : public Field
{
public:
    Table() = default;

    /// Decodes a received table. A value of unknown type, or one that runs
    /// past the table's own octets, ends the decoding: the rest is skipped
    /// by the table's byte count, so it is never misread as keys. A count
    /// running past the frame throws ProtocolException "frame out of range".
    explicit Table(InBuffer& buffer);

    Table(const Table& other);
    Table(Table&& other) noexcept = default;
    Table& operator=(const Table& other);
    Table& operator=(Table&& other) noexcept;

    /// Stores a copy of value under key, replacing an earlier one; a short
    /// string is kept (and written) as a long string. A key
    /// longer than 255 octets cannot be encoded and throws Exception.
    Table& set(const std::string& key, const Field& value);

    /// The value under key; an absent key reads as an empty short string
    /// (so as "" and 0). Never throws.
    const Field& get(const std::string& key) const;

    bool contains(const std::string& key) const { return _fields.count(key) != 0; }

    /// The keys in order.
    std::vector<std::string> keys() const;

    /// Assign to the result to store a value: table["durable"] = true.
    FieldProxy operator[](const char* key) { return FieldProxy(this, key); }

    std::unique_ptr<Field> clone() const override;
    size_t size() const override;
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 'F'; }
    void output(std::ostream& stream) const override;

    bool isTable() const override { return true; }

private:
    friend std::unique_ptr<Field> detail::decodeField(InBuffer&, unsigned);
    Table(InBuffer& buffer, unsigned depth);

    std::map<std::string, std::unique_ptr<Field>> _fields;
};

} // namespace AMQP
