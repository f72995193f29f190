#pragma once

#include "amqp/frames/extframe.h"

namespace AMQP
{

/// A content header: the class id, then that class's header.
class HeaderFrame : public ExtFrame
{
public:
    uint8_t type() const override { return 2; }
    virtual uint16_t classID() const = 0;

    /// Writes the frame header and the class id.
    void fill(OutBuffer& buffer) const override;

protected:
    using ExtFrame::ExtFrame;
};

} // namespace AMQP
