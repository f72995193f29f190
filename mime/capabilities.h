#pragma once

#include "filter/buffersize.h"

namespace Kestrava
{
namespace Mime
{

class ContentTransferEncoding;

/// What the receiving side accepts.
class Capabilities
{
public:
    Capabilities(bool allowsUtf8, bool rewrite, const Filter::BufferSize& sizes)
        : allowsUtf8(allowsUtf8), rewrite(rewrite), sizes(sizes)
    {
    }
    virtual ~Capabilities() = default;

    /// A 7-bit receiver: lines of 998 bytes, 78 characters preferred.
    static const Capabilities& standard();

    /// A receiver of 8-bit and UTF-8 text, same line limits.
    static const Capabilities& utf8();

    /// Whether a body in this transfer encoding reaches the receiver as it
    /// is.
    bool compatible(const ContentTransferEncoding& encoding) const;

    /// The receiver takes 8-bit and UTF-8 text unchanged.
    bool allowsUtf8;
    /// Re-encode header lines even where they could pass raw.
    bool rewrite;
    /// The hard line limit in bytes and the preferred one in characters,
    /// both without the CR LF.
    Filter::BufferSize sizes;
};

} // namespace Mime
} // namespace Kestrava
