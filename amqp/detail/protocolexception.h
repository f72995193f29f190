#pragma once

#include "amqp/exception.h"

namespace AMQP
{

/// A received frame that is malformed, oversized or unexpected; the
/// connection turns its text into a connection error.
class ProtocolException : public Exception
{
public:
    explicit ProtocolException(const std::string& message) : Exception(message) {}
};

} // namespace AMQP
