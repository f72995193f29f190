#pragma once

#include <functional>
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

/// The copy a table or array keeps of value: a short string becomes a
/// long one, a 'U' integer the 's' RabbitMQ reads.
std::unique_ptr<Field> storedField(const Field& value);

/// Reads a container's 32-bit count and hands its octets to decodeOne until
/// they are used up or decodeOne returns false; a read failing inside them
/// ends the container, a count running past buffer throws.
void decodeFields(InBuffer& buffer, const std::function<bool(InBuffer&)>& decodeOne);

/// The process-wide empty short string that an absent key or index reads as.
const Field& emptyField();

} // namespace AMQP::detail
