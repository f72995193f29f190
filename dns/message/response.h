#pragma once

#include "dns/message/message.h"

namespace DNS
{

/// A received (or made-up) answer.
class Response : public Message
{
public:
    /// Refers to the bytes, which must outlive the response.
    Response(const unsigned char* data, size_t size) : Message(data, size) {}
    /// Copies the bytes.
    Response(const Response& other) = default;
};

} // namespace DNS
