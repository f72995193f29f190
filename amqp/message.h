#pragma once

#include "amqp/envelope.h"

#include <cstdint>
#include <string>

namespace AMQP
{

/// A received message: properties, body, exchange and routing key, its
/// body assembled from body frames. A body that came in one frame is not
/// copied: it points into the receive buffer and is valid only until the
/// message callback returns; a copy of the message owns its body.
class Message : public Envelope
{
public:
    Message(std::string exchange, std::string routingKey);
    /// A deep copy: the copy owns a body of its own.
    Message(const Message& other);
    Message& operator=(const Message&) = delete;
    ~Message() override;

    const std::string& exchange() const { return _exchange; }
    const std::string& routingKey() const { return _routingKey; }

    /// Stores the body size announced by the content header; throws
    /// std::runtime_error "message is too big for this system" when it does
    /// not fit in memory's address range.
    void setBodySize(uint64_t size);

    /// Adds the octets of one body frame; octets beyond the announced size
    /// are dropped. Throws std::bad_alloc when no block for the body can be
    /// allocated.
    void append(const char* data, uint64_t count);

private:
    /// Makes room for size octets in the block.
    void reserve(uint64_t size);

    char* _block = nullptr;
    std::string _exchange;
    std::string _routingKey;
    uint64_t _filled = 0;
    uint64_t _capacity = 0;
};

} // namespace AMQP
