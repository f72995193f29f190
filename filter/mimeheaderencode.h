#pragma once

#include "filter/detail/words.h"
#include "filter/filter.h"
#include "filter/mimeheaderencoding.h"

#include <optional>
#include <string>
#include <string_view>

namespace Kestrava
{
namespace Filter
{

/**
 * Writes UTF-8 header text as plain words and RFC 2047 encoded words
 * ("=?utf-8?q?...?="), separated by one blank and folded with "\r\n " so
 * that no line on which more than one word stands passes the limit. Words
 * that need encoding next to each other share encoded words (their blanks
 * as "_"); an encoded word has at most 75 characters and never splits a
 * character. Text that is not UTF-8 goes into "=?unknown-8bit?q?...?="
 * words, bytes unchanged. What is held is written at flush() or when the
 * stage goes. An Encoder also writes encoded words that do not decode as
 * they came (keep()).
 */
class MimeHeaderEncode : public Filter
{
public:
    /// Places the words of one chunk at a time.
    class Encoder : public Filter
    {
    public:
        Encoder(size_t used, size_t limit, MimeHeaderEncoding encoding, Result* next);

        using Filter::process;

        /// Takes one word: writes a plain one, holds one that needs encoding.
        size_t process(const char* data, size_t size, bool final) override;
        /// The white space to stand before the next word instead of one
        /// blank, for text whose blank runs and tabs are to be kept: it
        /// goes between the words, in the fold, or into an encoded word.
        /// None glues the word to a kept word next to it (see keep()).
        void separate(const char* data, size_t size);
        /// Writes an encoded word as it came, one that does not decode, so
        /// that every reader reads it as before, with the `glued` text that
        /// stands before it without white space: plain where both fit one
        /// line, else encoded. Readers drop the white space between it and
        /// an encoded word next to it: what stands there goes inside that
        /// word, and a word glued after it is encoded. A word that no line
        /// holds, or that is not printable ASCII, goes as the text it reads
        /// as where it is kept, encoded, the glued text with it.
        size_t keep(const std::string& glued, const char* data, size_t size);
        /// Continues a line that already ends in a word: the first word
        /// goes after a blank, or after a fold where it does not fit.
        void continueLine() { _atLineStart = false; }

        /// Writes the held words, then flushes the next sink.
        size_t flush() override;

        /// Whether the word may stand plain: printable ASCII without the
        /// specials of the place (true for an empty word).
        bool printable(const char* data, size_t size) const;

    private:
        /// Folds: the next line starts with the blanks of the fold.
        size_t nextline(const std::string& separator = " ");

        /// Writes a word after the separator, or after a fold where it does
        /// not fit; glued to the word before where the separator is none.
        size_t place(std::string_view word, bool final, const std::string& separator);

        /// Whether the word may go plain after the separator.
        bool plainWord(std::string_view word, const std::string& separator) const;
        /// Holds text to be encoded, after the separator.
        void hold(std::string_view text, const std::string& separator);
        /// Whether `size` characters that no fold may split, placed after
        /// the separator, leave their line within 998 octets.
        bool fitsLine(size_t size, const std::string& separator) const;

        /// Writes the held words as encoded words.
        size_t flushBuffer();
        /// Whether the held words from `position` on fit one encoded word
        /// at the start of a folded line.
        bool wholeOnNextLine(size_t position, const char* charset) const;

        /// The room left on the line before the limit, none past it.
        size_t remaining() const;

        /// The white space before the word to come, and forgets it.
        std::string takeSeparator();

        size_t _limit;
        std::string _buffer;
        /// The white space before the next word, one blank unless set, and
        /// before the held words.
        std::optional<std::string> _separator;
        std::string _runSeparator;
        /// Whether a kept word was written last.
        bool _afterKept = false;
        /// The characters on the current line.
        size_t _column;
        bool _atLineStart = true;
        MimeHeaderEncoding _encoding;
        const char* _specials;
    };

    /// Starts after `used` characters on the current line and folds at
    /// `limit` characters (78 for message headers).
    MimeHeaderEncode(size_t used, size_t limit, MimeHeaderEncoding encoding, Result* next);

private:
    Encoder _encoder;
    detail::Words _words;
};

} // namespace Filter
} // namespace Kestrava
