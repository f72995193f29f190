#include "amqp/decimalfield.h"

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

#include <cmath>
#include <ostream>

namespace AMQP
{

DecimalField::DecimalField(InBuffer& buffer)
    : _places(buffer.nextUint8()), _value(buffer.nextUint32())
{
}

std::unique_ptr<Field> DecimalField::clone() const
{
    return std::make_unique<DecimalField>(*this);
}

void DecimalField::fill(OutBuffer& buffer) const
{
    buffer.add(_places);
    buffer.add(_value);
}

void DecimalField::output(std::ostream& stream) const
{
    stream << "decimal(" << static_cast<double>(*this) << ")";
}

DecimalField::operator double() const
{
    return static_cast<double>(_value) / std::pow(10.0, _places);
}

} // namespace AMQP
