#pragma once

#include "amqp/detail/incoming.h"

#include <cstdint>

namespace AMQP
{
class OutBuffer;
} // namespace AMQP

namespace AMQP::detail
{

/// The base of a broker's reply that carries no arguments, such as
/// queue.bind-ok: method MethodID of the class of Base.
template <class Frame, class Base, uint16_t MethodID>
class EmptyReply : public Incoming<Frame, Base>
{
public:
    uint16_t methodID() const override { return MethodID; }

protected:
    using Incoming<Frame, Base>::Incoming;

private:
    uint32_t argumentsSize() const override { return 0; }
    void fillArguments(OutBuffer&) const override {}
};

} // namespace AMQP::detail
