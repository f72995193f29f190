#pragma once

#include <memory>

namespace AMQP
{
class Field;
class InBuffer;
} // namespace AMQP

namespace AMQP::detail
{

/// Tables and arrays nest by recursion; deeper nesting than this is refused
/// like a value of unknown type, so that hostile input cannot exhaust the
/// stack.
constexpr unsigned maxFieldDepth = 64;

/// Field::decode for a value at nesting depth depth (0 outside any table).
std::unique_ptr<Field> decodeField(InBuffer& buffer, unsigned depth);

/// The process-wide empty short string that an absent key or index reads as.
const Field& emptyField();

} // namespace AMQP::detail
