#pragma once

#include "mime/fields/encodable.h"

#include <cstddef>

namespace Kestrava
{
namespace Mime
{

class Header;

/// A Content-Transfer-Encoding value, one of five codes.
class ContentTransferEncoding : public HeaderField
{
public:
    enum Code : int
    {
        quotedPrintable = 0,
        base64 = 1,
        eightBit = 2,
        sevenBit = 3,
        binary = 4,
    };

    explicit ContentTransferEncoding(int value) : value(value) {}
    /// The encoding that the header names, "7bit" when it names none (or
    /// for no header at all).
    explicit ContentTransferEncoding(const Header& header);
    explicit ContentTransferEncoding(const Header* header);

    /// The code of the name after leading white space; std::runtime_error
    /// "unknown transfer encoding" for any other text.
    static int parse(const char* data, size_t size);

    /// Whether the text is `name` (ignoring case) followed by white space
    /// only.
    static bool equals(const char* data, size_t size, const char* name, size_t length);

    /// The header's encoding; 7bit when it has none or an unknown one.
    static int extract(const Header& header);

    using HeaderField::encode;
    /// The name of the code ("unknown" outside them).
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    int value;
};

} // namespace Mime
} // namespace Kestrava
