#pragma once

#include "amqp/field.h"

#include <cstdint>

namespace AMQP
{

/// A decimal: an unscaled value and the number of decimal places.
class DecimalField : public Field
{
public:
    DecimalField(uint8_t places, uint32_t value) : _places(places), _value(value) {}
    explicit DecimalField(InBuffer& buffer);

    uint8_t places() const { return _places; }
    uint32_t value() const { return _value; }

    std::unique_ptr<Field> clone() const override;
    size_t size() const override { return 5; }
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 'D'; }
    void output(std::ostream& stream) const override;

    operator float() const override { return static_cast<float>(static_cast<double>(*this)); }
    operator double() const override;
    bool isDecimal() const override { return true; }

private:
    uint8_t _places;
    uint32_t _value;
};

} // namespace AMQP
