#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace AMQP
{

/// A sink into which fields and frames serialise themselves. Numbers are
/// written in network byte order, floating point values included.
class OutBuffer
{
public:
    /// Takes count octets; they are copied or passed on before it returns.
    virtual void append(const char* data, size_t count) = 0;
    virtual ~OutBuffer() = default;

    void add(const std::string& octets) { append(octets.data(), octets.size()); }
    void add(const char* data, uint32_t count) { append(data, count); }
    void add(uint8_t value);
    void add(int8_t value);
    void add(uint16_t value);
    void add(int16_t value);
    void add(uint32_t value);
    void add(int32_t value);
    void add(uint64_t value);
    void add(int64_t value);
    void add(float value);
    void add(double value);
};

} // namespace AMQP
