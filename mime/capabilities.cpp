#include "mime/capabilities.h"

#include "mime/fields/contenttransferencoding.h"

namespace Kestrava
{
namespace Mime
{

const Capabilities& Capabilities::standard()
{
    static const Capabilities instance(false, false, Filter::BufferSize(998, 78));
    return instance;
}

const Capabilities& Capabilities::utf8()
{
    static const Capabilities instance(true, false, Filter::BufferSize(998, 78));
    return instance;
}

bool Capabilities::compatible(const ContentTransferEncoding& encoding) const
{
    if (allowsUtf8) return true;
    return encoding.value == ContentTransferEncoding::quotedPrintable ||
           encoding.value == ContentTransferEncoding::base64 ||
           encoding.value == ContentTransferEncoding::sevenBit;
}

} // namespace Mime
} // namespace Kestrava
