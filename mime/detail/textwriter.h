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

    /// White space between words of text; the line breaks of folds in it
    /// are none to readers.
    void blanks(const char* data, size_t size);

    /// Plain text of a word, glued to what came before in the word.
    void plain(const char* data, size_t size);
    /// An encoded word.
    void word(const char* data, size_t size);
    /// An encoded word that did not decode, to go as it came.
    void keep(const char* data, size_t size);

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
    /// The gap before the encoded words held.
    Gap _wordsGap;
    /// The white space since the last piece, and whether a word of text
    /// ended there.
    std::string _blanks;
    bool _apart = true;
    /// The white space of pieces that read as nothing, for the next piece.
    std::string _carried;
    /// The text held for the encoder, pieces glued to each other, and the
    /// gap before it.
    std::string _text;
    Gap _textGap;
    size_t _written = 0;
};

} // namespace detail
} // namespace Mime
} // namespace Kestrava
