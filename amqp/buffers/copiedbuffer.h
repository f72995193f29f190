#pragma once

#include "amqp/buffers/outbuffer.h"

namespace AMQP
{

class Frame;

/// One frame serialised into a block of its own, exactly as it goes on the
/// wire: how frames wait in a send queue until they can be written.
class CopiedBuffer : public OutBuffer
{
public:
    explicit CopiedBuffer(const Frame& frame);
    CopiedBuffer(CopiedBuffer&& other) noexcept;
    ~CopiedBuffer() override;

    CopiedBuffer(const CopiedBuffer&) = delete;
    CopiedBuffer& operator=(const CopiedBuffer&) = delete;
    CopiedBuffer& operator=(CopiedBuffer&&) = delete;

    void append(const char* data, size_t count) override;

    const char* data() const { return _data; }
    size_t size() const { return _size; }

    /// Whether the frame held here waits for the broker's answer.
    bool synchronous() const { return _synchronous; }

private:
    size_t _capacity;
    char* _data;
    size_t _size = 0;
    bool _synchronous;
};

} // namespace AMQP
