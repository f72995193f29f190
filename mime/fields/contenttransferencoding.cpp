#include "mime/fields/contenttransferencoding.h"

#include "filter/result.h"
#include "mime/detail/ctype.h"
#include "mime/header.h"

#include <strings.h>

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

const char* const names[] = {"quoted-printable", "base64", "8bit", "7bit", "binary"};

} // namespace

ContentTransferEncoding::ContentTransferEncoding(const Header& header) : value(extract(header)) {}

ContentTransferEncoding::ContentTransferEncoding(const Header* header)
    : value(header == nullptr ? sevenBit : extract(*header))
{
}

int ContentTransferEncoding::parse(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && detail::isSpace(data[i]))
        ++i;
    for (int code = 0; code < 5; ++code)
        if (equals(data + i, size - i, names[code], std::strlen(names[code]))) return code;
    throw std::runtime_error("unknown transfer encoding");
}

bool ContentTransferEncoding::equals(const char* data, size_t size, const char* name, size_t length)
{
    if (size < length || strncasecmp(data, name, length) != 0) return false;
    for (size_t i = length; i < size; ++i)
        if (!detail::isSpace(data[i])) return false;
    return true;
}

int ContentTransferEncoding::extract(const Header& header)
{
    const Value& text = header.get("content-transfer-encoding");
    // Most messages have none: no exception for them.
    if (text.size == 0) return sevenBit;
    try
    {
        return parse(text.data, text.size);
    }
    catch (const std::runtime_error&)
    {
        return sevenBit;
    }
}

size_t ContentTransferEncoding::encode(const Capabilities&, Filter::Result* output, bool) const
{
    const char* name = value >= 0 && value < 5 ? names[value] : "unknown";
    return output->append(name, std::strlen(name), true);
}

} // namespace Mime
} // namespace Kestrava
