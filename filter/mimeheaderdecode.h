#pragma once

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
 * encoded words vanishes (RFC 2047, section 6.2). The last word is written
 * at flush() or when the stage goes; an unknown charset there is then lost
 * rather than thrown.
 */
class MimeHeaderDecode : public Filter
{
public:
    /// Writes every word as it is told to.
    class Decoder : public Filter
    {
    public:
        Decoder(const std::string& charset, Result* next) : Filter(next), _charset(charset) {}

        using Filter::process;

        /// Writes one word, decoded when it is an encoded word. Throws
        /// std::runtime_error "Conversion not possible" for a charset iconv
        /// does not know.
        size_t process(const char* data, size_t size, bool final) override;

    private:
        std::string _charset;
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
