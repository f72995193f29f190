#pragma once

#include "filter/filter.h"

#include <iconv.h>

#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * Character set conversion through iconv, transliterating what the target
 * cannot hold. Invalid input bytes are skipped; a sequence cut at the end
 * of a chunk is completed by the next one, and dropped if none comes. Text
 * labelled "unknown-8bit" (RFC 1428: 8-bit bytes of no known charset)
 * passes unchanged: no conversion could give its bytes back.
 */
class Charset : public Filter
{
public:
    /// Converts from `source` to `target`, to which "//TRANSLIT" is added
    /// unless it already ends so. Throws std::runtime_error "Conversion not
    /// possible" when iconv knows no such conversion.
    Charset(Result* next, const std::string& target, const std::string& source);
    ~Charset() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// Whether every byte so far was converted: none skipped as invalid,
    /// none held as the start of an unfinished sequence.
    bool lossless() const { return !_skipped && _leftover.empty(); }

private:
    size_t convert(const char* data, size_t size);

    /// None for "unknown-8bit".
    iconv_t _descriptor;
    std::string _leftover;
    bool _skipped = false;
};

} // namespace Filter
} // namespace Kestrava
