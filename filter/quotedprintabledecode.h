#pragma once

#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * Quoted-printable decoding. "=" and two hex digits (either case) become
 * that byte; "=" followed by blanks, tabs or CR up to a line feed is a soft
 * break and vanishes. An "=" that starts neither stays as it stands, as
 * RFC 2045 section 6.7 advises. An escape or soft break cut at the end of a
 * chunk waits for the next one; one cut off at the end of the input is
 * dropped.
 */
class QuotedPrintableDecode : public Filter
{
public:
    explicit QuotedPrintableDecode(Result* next) : Filter(next) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    /// 0 copying, 1 after "=", 2 after "=" and one digit, 3 in white space
    /// after "=".
    int _state = 0;
    /// What follows the "=" so far: a digit, or the white space.
    std::string _held;
};

} // namespace Filter
} // namespace Kestrava
