#pragma once

#include "amqp/metadata.h"

#include <cstdint>

namespace AMQP
{

/// What is published: properties and a body. The body is not owned: the
/// caller keeps it alive while the envelope is used.
class Envelope : public MetaData
{
public:
    Envelope(const char* body, uint64_t bodySize) : _body(body), _bodySize(bodySize) {}

    const char* body() const { return _body; }
    uint64_t bodySize() const { return _bodySize; }

protected:
    const char* _body;
    uint64_t _bodySize;
};

} // namespace AMQP
