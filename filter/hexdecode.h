#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Percent-decoding: "%" and two hex digits (either case) become that byte.
 * A "%" that is not followed by two hex digits stays as it stands, as
 * urllib.parse.unquote leaves it. An escape cut at the end of a chunk waits
 * for the next one; one cut off at the end of the input is dropped.
 */
class HexDecode : public Filter
{
public:
    explicit HexDecode(Result* next) : Filter(next) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    /// 0 copying, 1 after "%", 2 after "%" and one digit.
    int _state = 0;
    char _first = 0;
};

} // namespace Filter
} // namespace Kestrava
