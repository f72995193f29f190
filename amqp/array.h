#pragma once

#include "amqp/detail/fielddecoder.h"
#include "amqp/field.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace AMQP
{

/// A field array: an ordered list of owned values. Copies are deep.
class Array : public Field
{
public:
    Array() = default;

    /// Decodes a received array; a value of unknown type ends the decoding
    /// and the array's remaining octets are skipped by its byte count.
    explicit Array(InBuffer& buffer);

    Array(const Array& other);
    Array(Array&& other) noexcept = default;
    Array& operator=(const Array& other);
    Array& operator=(Array&& other) noexcept = default;

    /// The element at index; past the end, an empty short string.
    const Field& get(size_t index) const;

    size_t count() const { return _fields.size(); }

    /// Appends a copy of value.
    void push_back(const Field& value);

    /// Removes the last element; nothing on an empty array.
    void pop_back();

    std::unique_ptr<Field> clone() const override;
    size_t size() const override;
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 'A'; }
    void output(std::ostream& stream) const override;

    bool isArray() const override { return true; }

private:
    friend std::unique_ptr<Field> detail::decodeField(InBuffer&, unsigned);
    Array(InBuffer& buffer, unsigned depth);

    std::vector<std::unique_ptr<Field>> _fields;
};

} // namespace AMQP
