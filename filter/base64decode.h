#pragma once

#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * Base64 decoding through OpenSSL's base64 BIO, as Python's b64decode does
 * it: every byte that is neither in the alphabet nor "=" is skipped (line
 * breaks and blanks included) and an "=" that completes a group ends the
 * input. A last group of 2 or 3 characters decodes as if padded, as mail
 * readers do with the many writers that leave the padding out; a lone last
 * character carries no whole byte and gives nothing.
 *
 * The BIO loses data when a read finds fewer than 4 characters, so the
 * stage holds up to 3 characters itself and gives the BIO whole groups
 * only; the output is then the same for every way the input is cut. The
 * held characters are decoded at finish(), which flush() and destruction
 * call; nothing is decoded after that.
 *
 * Whole groups leave the BIOs with nothing held, so each batch gets BIOs
 * of its own that read the input in place: copying it into one memory BIO
 * costs more than decoding it.
 */
class Base64Decode : public Filter
{
public:
    /// `lines` tells whether the text comes broken into lines; both kinds
    /// decode alike, since line breaks are skipped anyway. Throws
    /// std::runtime_error when OpenSSL cannot be loaded.
    Base64Decode(bool lines, Result* next);
    ~Base64Decode() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// finish(), then the flush of the next sink.
    size_t flush() override;

    /// Decodes the unfinished last group, without flushing the next sink:
    /// for a caller that goes on writing to it.
    size_t finish();

private:
    /// Takes a run of alphabet characters behind those held.
    size_t take(const char* run, size_t size);

    /// Decodes whole groups.
    size_t decode(const char* groups, size_t size);

    /// The characters of the unfinished group.
    std::string _held;
    /// The "=" seen after them.
    unsigned _padding = 0;
    bool _ended = false;
};

} // namespace Filter
} // namespace Kestrava
