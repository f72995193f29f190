#pragma once

#include <cstdint>
#include <string>

/// One delivery on its way to the endpoint: the filtered document as compact
/// JSON text and the delivery tag that acknowledges or rejects it.
class Message
{
public:
    explicit Message(uint64_t deliveryTag) : deliveryTag(deliveryTag) {}
    virtual ~Message() = default;

    std::string body;
    uint64_t deliveryTag;
};
