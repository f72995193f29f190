#pragma once

#include "filter/detail/base64bios.h"
#include "filter/filter.h"

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
    /// Decodes the whole groups gathered so far.
    size_t decodeGroups();

    detail::Base64Bios _bios;
    char _group[4];
    unsigned _held = 0;
    unsigned _padding = 0;
    bool _ended = false;
    std::string _groups;
};

} // namespace Filter
} // namespace Kestrava
