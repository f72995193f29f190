#pragma once

#include "amqp/frames/frame.h"

namespace AMQP
{

/// The octets that open a connection: "AMQP", 0 and the protocol version.
class ProtocolHeaderFrame : public Frame
{
public:
    ProtocolHeaderFrame(uint8_t major, uint8_t minor, uint8_t revision)
        : _major(major), _minor(minor), _revision(revision)
    {
    }

    uint64_t totalSize() const override { return 8; }
    void fill(OutBuffer& buffer) const override;
    bool partOfHandshake() const override { return true; }
    bool needsSeparator() const override { return false; }

private:
    uint8_t _major;
    uint8_t _minor;
    uint8_t _revision;
};

} // namespace AMQP
