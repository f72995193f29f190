#pragma once

#include "amqp/detail/incoming.h"
#include "amqp/frames/headerframe.h"
#include "amqp/metadata.h"

namespace AMQP
{

class Envelope;

/// The content header of the basic class: weight (always 0), body size and
/// the message properties.
class BasicHeaderFrame : public detail::Incoming<BasicHeaderFrame, HeaderFrame>
{
public:
    BasicHeaderFrame(uint16_t channel, const MetaData& metaData, uint64_t bodySize);
    BasicHeaderFrame(uint16_t channel, const Envelope& envelope);
    /// Reads the header after its class id.
    explicit BasicHeaderFrame(ReceivedFrame& frame);

    uint16_t classID() const override { return 60; }
    uint32_t payloadSize() const override { return 2 + 2 + 8 + _metaData.size(); }
    void fill(OutBuffer& buffer) const override;

    uint64_t bodySize() const { return _bodySize; }
    const MetaData& metaData() const { return _metaData; }

private:
    uint16_t _weight = 0;
    uint64_t _bodySize;
    MetaData _metaData;
};

} // namespace AMQP
