#pragma once

#include <stdexcept>
#include <string>

namespace AMQP
{

/// Base of every failure the AMQP client reports by exception.
class Exception : public std::runtime_error
{
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

} // namespace AMQP
