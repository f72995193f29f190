#pragma once

#include "filter/adjacentwords.h"
#include "filter/mimeheaderencode.h"

#include <cstddef>
#include <optional>
#include <string>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/**
 * Hands unstructured text to the header encoder as readers read it: plain
 * text as it stands, encoded words decoded, neighbours together (RFC 2047
 * section 6.2 drops the white space between them), and a word that does
 * not decode kept as written. The pieces of one word of text stay glued.
 */
class TextWriter
{
public:
    explicit TextWriter(Filter::MimeHeaderEncode::Encoder& encoder)
        : _encoder(encoder), _words("utf-8", false)
    {
    }
    virtual ~TextWriter() = default;

    /// A byte of white space that readers see (a line break of a fold is
    /// none).
    void blank(char c) { _blanks += c; }
    /// The end of a word of text.
    void blank() { _apart = true; }

    /// Plain text of a word, glued to what came before in the word.
    void plain(const char* data, size_t size);
    /// An encoded word.
    void word(const char* data, size_t size);

    /// Writes what is held; returns the bytes written.
    size_t finish();

private:
    using Gap = std::optional<std::string>;

    /// The white space before the piece to come, none where it is glued to
    /// the piece before, and forgets it.
    Gap gap();
    /// The gap after the white space of pieces that read as nothing.
    Gap afterCarried(const Gap& gap);

    void endWords();
    void text(std::string piece, const Gap& gap);
    void kept(const std::string& word, const Gap& gap);
    void endText();
    /// None glues the next piece to a kept word.
    void separate(const Gap& gap);

    Filter::MimeHeaderEncode::Encoder& _encoder;
    Filter::AdjacentWords _words;
    Gap _wordsGap;
    std::string _blanks;
    bool _apart = true;
    std::string _carried;
    std::string _text;
    Gap _textGap;
    bool _pending = false;
    size_t _written = 0;
};

} // namespace detail
} // namespace Mime
} // namespace Kestrava
