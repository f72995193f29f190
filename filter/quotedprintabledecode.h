#pragma once

#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * Quoted-printable decoding, as mail readers read it. "=" and two hex
 * digits (either case) become that byte; "=" and a line break (CR LF, LF,
 * or a lone CR, which the writer makes a CR LF) is a soft break and
 * vanishes, and so does a lone "=" that ends the text. Blanks and tabs
 * between the "=" and the line break (or the end) are padding that a relay
 * may add, which RFC 2045 6.7 deletes: the break is soft all the same. Any
 * other "=" stays as it stands, with what follows it, blanks included; an
 * escape cut off by the end of the text stays too. What a chunk ends in
 * waits for the next one; flush() and the destructor take the end of the
 * text for it.
 */
class QuotedPrintableDecode : public Filter
{
public:
    explicit QuotedPrintableDecode(Result* next) : Filter(next) {}
    ~QuotedPrintableDecode() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// Ends the text, then flushes the next sink.
    size_t flush() override;

private:
    /// Writes what an "=" cut off by the end of the text left.
    size_t finish();

    enum class State
    {
        copying,
        afterEquals,
        afterDigit,
        /// After "=" and blanks: padding before a soft break, or text.
        afterBlanks,
        /// After "=" and CR: the soft break takes an LF that follows.
        afterCarriageReturn,
    };
    State _state = State::copying;
    /// The hex digit after the "=".
    char _digit = 0;
    /// The blanks after the "=", written with it unless a break follows.
    std::string _blanks;
};

} // namespace Filter
} // namespace Kestrava
