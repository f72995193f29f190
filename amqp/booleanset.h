#pragma once

#include "amqp/field.h"

#include <cstdint>

namespace AMQP
{

/// Eight booleans in one octet, flag i in bit i: a table value of type 't'
/// and the bit arguments of methods. Its numeric conversions are all 0;
/// flags are read with get.
class BooleanSet : public Field
{
public:
    BooleanSet(bool flag0 = false, bool flag1 = false, bool flag2 = false, bool flag3 = false,
               bool flag4 = false, bool flag5 = false, bool flag6 = false, bool flag7 = false);
    explicit BooleanSet(InBuffer& buffer);

    /// Flag index; false for an index above 7.
    bool get(unsigned index) const { return index < 8 && (_byte >> index & 1) != 0; }

    /// Sets or clears flag index; nothing for an index above 7.
    void set(unsigned index, bool value);

    uint8_t value() const { return _byte; }

    std::unique_ptr<Field> clone() const override;
    size_t size() const override { return 1; }
    void fill(OutBuffer& buffer) const override;
    char typeID() const override { return 't'; }
    void output(std::ostream& stream) const override;
    bool isBoolean() const override { return true; }

private:
    uint8_t _byte = 0;
};

} // namespace AMQP
