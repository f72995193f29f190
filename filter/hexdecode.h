#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Percent-decoding: "%" and two hex digits (either case) become that byte.
 * A "%" that is not followed by two hex digits stays as it stands, with
 * what follows it, as urllib.parse.unquote leaves it: at the end of the
 * text too. An escape cut at the end of a chunk waits for the next one;
 * flush() and the destructor take the end of the text for it.
 */
class HexDecode : public Filter
{
public:
    explicit HexDecode(Result* next) : Filter(next) {}
    ~HexDecode() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// Ends the text, then flushes the next sink.
    size_t flush() override;

private:
    /// Writes what an escape cut off by the end of the text left.
    size_t finish();

    /// 0 copying, 1 after "%", 2 after "%" and one digit.
    int _state = 0;
    char _first = 0;
};

} // namespace Filter
} // namespace Kestrava
