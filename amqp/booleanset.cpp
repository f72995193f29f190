#include "amqp/booleanset.h"

#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/outbuffer.h"

#include <ostream>

namespace AMQP
{

BooleanSet::BooleanSet(bool flag0, bool flag1, bool flag2, bool flag3, bool flag4, bool flag5,
                       bool flag6, bool flag7)
{
    const bool flags[] = {flag0, flag1, flag2, flag3, flag4, flag5, flag6, flag7};
    for (unsigned index = 0; index < 8; ++index)
        set(index, flags[index]);
}

BooleanSet::BooleanSet(InBuffer& buffer) : _byte(buffer.nextUint8()) {}

void BooleanSet::set(unsigned index, bool value)
{
    if (index > 7) return;
    if (value)
        _byte |= static_cast<uint8_t>(1u << index);
    else
        _byte &= static_cast<uint8_t>(~(1u << index));
}

std::unique_ptr<Field> BooleanSet::clone() const
{
    return std::make_unique<BooleanSet>(*this);
}

void BooleanSet::fill(OutBuffer& buffer) const
{
    buffer.add(_byte);
}

void BooleanSet::output(std::ostream& stream) const
{
    stream << "booleanset(";
    for (unsigned index = 0; index < 8; ++index)
        stream << (index ? "," : "") << get(index);
    stream << ")";
}

} // namespace AMQP
