#pragma once

#include "amqp/field.h"

#include <ostream>

namespace AMQP
{

/// The value that is no value ('V').
class VoidField : public Field
{
public:
    VoidField() = default;
    /// Reads nothing: a void value has no octets.
    explicit VoidField(InBuffer&) {}

    std::unique_ptr<Field> clone() const override { return std::make_unique<VoidField>(); }
    size_t size() const override { return 0; }
    void fill(OutBuffer&) const override {}
    char typeID() const override { return 'V'; }
    void output(std::ostream& stream) const override { stream << "void()"; }
    bool isVoid() const override { return true; }
};

} // namespace AMQP
