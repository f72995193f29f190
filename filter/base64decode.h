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
 * breaks and blanks included), an "=" that completes a group ends the
 * input, and a last group left unfinished gives nothing.
 *
 * The BIO loses data when a read finds fewer than 4 characters, so the
 * stage holds up to 3 characters itself and gives the BIO whole groups
 * only; the output is then the same for every way the input is cut. It
 * never holds output back, so flush() only passes the flush on.
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

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

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
