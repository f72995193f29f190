#pragma once

#include "json/value.h"

#include <cstdint>

/// One delivery on its way to the endpoint: the filtered document and the
/// delivery tag that acknowledges or rejects it.
class Message
{
public:
    Message(Kestrava::JSON::Value document, uint64_t deliveryTag)
        : document(std::move(document)), deliveryTag(deliveryTag)
    {
    }
    virtual ~Message() = default;

    Kestrava::JSON::Value document;
    uint64_t deliveryTag;
};
