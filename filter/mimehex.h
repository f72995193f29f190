#pragma once

namespace Kestrava
{
namespace Filter
{

/// The MIME escape of one byte: "=" and two uppercase hex digits.
class MimeHex
{
public:
    explicit MimeHex(char byte);
    virtual ~MimeHex() = default;

    /// The byte back from the two digits (either case); a digit that is no
    /// hex digit gives a byte with the 64 bit set.
    char byte() const;

    /// The three characters.
    const char* data() const { return _text; }
    static constexpr unsigned size() { return 3; }

private:
    char _text[3];
};

} // namespace Filter
} // namespace Kestrava
