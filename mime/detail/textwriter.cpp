#include "mime/detail/textwriter.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

void TextWriter::blanks(const char* data, size_t size)
{
    for (size_t i = 0; i < size; ++i)
        if (data[i] != '\r' && data[i] != '\n') _blanks += data[i];
    _apart = true;
}

void TextWriter::plain(const char* data, size_t size)
{
    endWords();
    text(std::string(data, size), gap());
}

void TextWriter::word(const char* data, size_t size)
{
    if (_words.empty())
        _wordsGap = gap();
    else
        gap(); // dropped between two words
    _words.add(data, size);
}

void TextWriter::keep(const char* data, size_t size)
{
    endWords();
    kept(std::string(data, size), gap());
}

size_t TextWriter::finish()
{
    endWords();
    endText();
    return _written + _encoder.flush();
}

TextWriter::Gap TextWriter::gap()
{
    Gap gap;
    if (_apart) gap = _blanks.empty() ? " " : _blanks;
    _apart = false;
    _blanks.clear();
    return gap;
}

TextWriter::Gap TextWriter::afterCarried(const Gap& gap)
{
    if (_carried.empty()) return gap;
    std::string carried;
    carried.swap(_carried);
    return carried + gap.value_or("");
}

void TextWriter::endWords()
{
    if (_words.empty()) return;
    Gap gap = _wordsGap;
    for (Filter::AdjacentWords::Text& decoded : _words.take())
    {
        if (decoded.asWritten)
            kept(decoded.text, gap);
        else
            text(std::move(decoded.text), gap);
        gap.reset();
    }
}

void TextWriter::text(std::string piece, const Gap& gap)
{
    // A piece that reads as nothing leaves its white space to the next.
    if (piece.empty())
    {
        _carried += gap.value_or("");
        return;
    }
    Gap before = afterCarried(gap);
    if (!before && !_text.empty())
    {
        _text += piece;
        return;
    }
    endText();
    _text = std::move(piece);
    _textGap = before;
}

void TextWriter::kept(const std::string& word, const Gap& gap)
{
    Gap before = afterCarried(gap);
    // The text glued before the word goes with it: the encoder decides
    // whether both fit a line as they stand.
    std::string glued;
    if (!before && !_text.empty())
    {
        glued.swap(_text);
        before = _textGap;
    }
    else
        endText();
    separate(before);
    _written += _encoder.keep(glued, word.data(), word.size());
}

void TextWriter::endText()
{
    if (_text.empty()) return;
    separate(_textGap);
    _written += _encoder.process(_text.data(), _text.size(), false);
    _text.clear();
}

void TextWriter::separate(const Gap& gap)
{
    _encoder.separate(gap ? gap->data() : "", gap ? gap->size() : 0);
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
