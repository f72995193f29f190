#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Filter
{

class Result;

/**
 * RFC 2047 encoded words that stand next to each other in header text,
 * glued or with only white space between them (which readers drop), read
 * as readers read them: the bytes of neighbours in one charset as one
 * text, so that a character a mailer split between two words reads whole.
 * Decoded text is text in the target charset, or bytes that are UTF-8
 * whatever the label says (where the target is UTF-8), or, for a word that
 * does not decode, the word as written; "unknown-8bit" bytes stand for
 * themselves.
 */
class AdjacentWords
{
public:
    /// What one word, or neighbours decoded together, read as.
    struct Text
    {
        std::string text;
        /// The word as written: it did not decode.
        bool asWritten;
    };

    /// Decodes to `target` (such as "utf-8"). With `refuseUnknown`, a
    /// charset iconv does not know throws std::runtime_error "Conversion
    /// not possible" from add(); else such a word reads as its bytes where
    /// they are UTF-8, else as written.
    AdjacentWords(std::string target, bool refuseUnknown);
    virtual ~AdjacentWords() = default;

    /// Takes a copy of an encoded word, as written.
    void add(const char* data, size_t size);

    bool empty() const { return _words.empty(); }

    /// The words held, decoded in order, and forgets them.
    std::vector<Text> take();

    /// Writes take() to `out`, one text after the other; returns the bytes
    /// written.
    size_t write(Result* out);

private:
    /// Decodes the words from `first` up to `last` (excluded), all in one
    /// charset.
    void decode(size_t first, size_t last, std::vector<Text>& texts) const;

    /// An encoded word as written, with its charset and its bytes.
    struct Word
    {
        std::string written;
        std::string charset;
        std::string bytes;
    };

    std::string _target;
    bool _refuseUnknown;
    bool _utf8Target;
    std::vector<Word> _words;
};

} // namespace Filter
} // namespace Kestrava
