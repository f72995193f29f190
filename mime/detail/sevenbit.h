#pragma once

#include "filter/result.h"

#include <cstddef>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/// Whether no line of the text is longer than `limit` octets; a CR, an LF
/// and a CR LF each end a line, as the writer makes them all CR LF.
bool linesWithin(const char* data, size_t size, size_t limit);

/// Whether the text goes to a 7-bit receiver once its line breaks are made
/// CR LF: no byte from 0x80, no NUL and no line over `limit` octets.
bool sevenBitText(const char* data, size_t size, size_t limit);

/// A sink that keeps nothing and tells whether everything it was given goes
/// to a 7-bit receiver as it stands (RFC 5321 4.5.3.1.6, RFC 2045 2.7): only
/// CR LF line ends, no line over the limit, no byte from 0x80, no NUL.
class SevenBitCheck : public Filter::Result
{
public:
    /// `limit`: the most octets of a line, its CR LF not counted.
    explicit SevenBitCheck(size_t limit) : _limit(limit) {}

    using Filter::Result::append;
    size_t append(const char* data, size_t size, bool final) override;

    /// Whether all went out so; a CR that ended the text does not.
    bool passed() const { return !_failed && !_afterCr; }

private:
    size_t _limit;
    size_t _line = 0;
    bool _afterCr = false;
    bool _failed = false;
};

} // namespace detail
} // namespace Mime
} // namespace Kestrava
