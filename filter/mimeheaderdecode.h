#pragma once

#include "filter/adjacentwords.h"
#include "filter/detail/words.h"
#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * Decodes header text with RFC 2047 encoded words into one character set.
 * Runs of white space become one blank, and white space between two
 * encoded words vanishes (RFC 2047, section 6.2). Words glued to each
 * other or to text are found as readers find them (see GluedWords), and
 * neighbouring words are decoded together (see AdjacentWords): a word that
 * does not decode stays as written. The last words are written at flush()
 * or when the stage goes; an unknown charset there is then lost rather
 * than thrown.
 */
class MimeHeaderDecode : public Filter
{
public:
    /// Writes every word as it is told to.
    class Decoder : public Filter
    {
    public:
        Decoder(const std::string& charset, Result* next) : Filter(next), _words(charset, true) {}

        using Filter::process;

        /// Takes one word of text, without white space: writes its plain
        /// text, holds its encoded words until what follows them is known.
        /// Throws std::runtime_error "Conversion not possible" for a
        /// charset iconv does not know.
        size_t process(const char* data, size_t size, bool final) override;

        /// Writes the encoded words held, then flushes the next sink.
        size_t flush() override;

    private:
        AdjacentWords _words;
        size_t _count = 0;
        bool _previousEncoded = false;
    };

    /// Decodes to `charset` (such as "utf-8").
    MimeHeaderDecode(const std::string& charset, Result* next);

private:
    Decoder _decoder;
    detail::Words _words;
};

} // namespace Filter
} // namespace Kestrava
