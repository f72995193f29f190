#include "mime/fields/displayname.h"

#include "filter/adjacentwords.h"
#include "filter/gluedwords.h"
#include "filter/mimeheaderencode.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/fields/atom.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/detail/textwriter.h"
#include "mime/fields/formatting.h"
#include "mime/fields/internal.h"
#include "mime/fields/quotedstring.h"
#include "mime/fields/whitespace.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool isFoldSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

DisplayName::DisplayName(const char* data, size_t size)
{
    // RFC 5322 phrase: any run of words separated by CFWS; each stretch of
    // CFWS becomes one blank, but none between two adjacent encoded words
    // (RFC 2047, section 6.2), which are decoded together. A comment between
    // two makes them no neighbours: only white space vanishes.
    bool spaced = false;
    bool lastEncoded = false;
    size_t position = 0;
    Filter::AdjacentWords words("utf-8", false);
    auto endWords = [&]()
    {
        if (words.empty()) return;
        std::string decoded;
        for (const Filter::AdjacentWords::Text& piece : words.take())
        {
            if (piece.asWritten)
                _kept.emplace_back(_text.size() + decoded.size(), piece.text.size());
            decoded += piece.text;
        }
        _text += decoded;
        measure(decoded, false);
        _longestWord = std::max(_longestWord, _carried);
    };
    try
    {
        while (position < size)
        {
            size_t blank = Whitespace(data + position, size - position, true).consumed();
            if (blank > 0) spaced = true;
            if (std::memchr(data + position, '(', blank) != nullptr)
            {
                endWords();
                lastEncoded = false;
            }
            position += blank;
            if (position == size) break;
            char c = data[position];
            // Asked once what came before is written: the encoded words
            // held may read as nothing.
            bool wasSpaced = spaced;
            auto separate = [&]() { return wasSpaced && !_text.empty(); };
            spaced = false;
            if (c == '"' || c == '.')
            {
                endWords();
                std::string piece = ".";
                size_t length = 1;
                if (c == '"')
                {
                    QuotedString quoted(data + position, size - position);
                    piece = quoted.text();
                    length = quoted.consumed();
                    _quoted = true;
                }
                if (separate()) _text.push_back(' ');
                _text += piece;
                position += length;
                if (c == '"')
                    measure(piece, false);
                else
                    _carried = 1;
                lastEncoded = false;
            }
            else
            {
                Atom atom(data + position, size - position, false);
                String word = atom.text();
                if (word.size == 0) break;
                position += atom.consumed();
                // Mailers glue encoded words to each other and to text after
                // them, which readers take apart; text before makes the
                // rest of the atom text.
                Filter::GluedWords glued(word.data, word.size, false);
                bool first = true;
                for (const Filter::GluedWords::Piece& piece : glued.pieces())
                {
                    if (piece.encoded)
                    {
                        if (words.empty() && separate() && !lastEncoded) _text.push_back(' ');
                        words.add(piece.data, piece.size);
                    }
                    else
                    {
                        endWords();
                        if (first && (separate() || lastEncoded) && !_text.empty())
                            _text.push_back(' ');
                        _text.append(piece.data, piece.size);
                        measure(std::string(piece.data, piece.size), !first);
                    }
                    lastEncoded = piece.encoded;
                    first = false;
                }
            }
            _longestWord = std::max(_longestWord, _carried);
        }
    }
    catch (const std::runtime_error&)
    {
        // A broken comment or quoted string ends the name before it.
    }
    endWords();
    _consumed = position;
}

DisplayName::DisplayName(const Internal& text)
{
    for (size_t i = 0; i < text.size; ++i)
    {
        bool blank = detail::isSpace(text.data[i]);
        if (blank && i > 0 && detail::isSpace(text.data[i - 1])) continue;
        _text.push_back(blank ? ' ' : text.data[i]);
    }
}

void DisplayName::clear()
{
    _text.clear();
    _kept.clear();
    _consumed = 0;
    _longestWord = 0;
    _carried = 0;
    _quoted = false;
}

void DisplayName::measure(const std::string& piece, bool joined)
{
    size_t first = 0;
    while (first < piece.size() && !isFoldSpace(piece[first]))
        ++first;
    if (first == piece.size())
    {
        _carried = joined ? _carried + piece.size() : piece.size();
        return;
    }
    _longestWord = std::max(_longestWord, _carried + first);
    size_t start = first + 1;
    for (size_t i = start; i < piece.size(); ++i)
    {
        if (!isFoldSpace(piece[i])) continue;
        _longestWord = std::max(_longestWord, i - start);
        start = i + 1;
    }
    _carried = piece.size() - start;
}

bool DisplayName::blank() const
{
    return std::all_of(_text.begin(), _text.end(), detail::isSpace);
}

bool DisplayName::foldable(const Capabilities& capabilities) const
{
    bool writable =
        capabilities.allowsUtf8 || blank() || Formatting(_text.data(), _text.size()).ascii();
    return writable && _longestWord + 3 < capabilities.sizes.preferred;
}

std::string DisplayName::plain() const
{
    // A name of blanks alone passes as a phrase but would read back as no
    // name at all: it is quoted.
    bool words = _text.find_first_not_of(' ') != std::string::npos;
    if (words && Formatting(_text.data(), _text.size()).phrase()) return _text;
    return detail::quote(_text);
}

size_t DisplayName::encodeWords(size_t used, size_t limit, Filter::Result* output) const
{
    Filter::MimeHeaderEncode::Encoder encoder(used, limit, Filter::MimeHeaderEncoding::Phrase,
                                              output);
    detail::TextWriter writer(encoder);
    auto kept = _kept.begin();
    size_t keptEnd = std::string::npos;
    for (size_t i = 0, end; i < _text.size(); i = end)
    {
        if (kept != _kept.end() && kept->first == i)
        {
            end = keptEnd = i + kept->second;
            writer.keep(_text.data() + i, kept->second);
            ++kept;
            continue;
        }
        size_t stop = kept != _kept.end() ? kept->first : _text.size();
        bool blank = detail::isBlank(_text[i]);
        for (end = i + 1; end < stop && detail::isBlank(_text[end]) == blank;)
            ++end;
        // Between two kept words it stood for a comment: as white space
        // readers would take them for neighbours, whose bytes may join.
        bool betweenKept = i == keptEnd && kept != _kept.end() && end == kept->first;
        if (blank && !betweenKept)
            writer.blanks(_text.data() + i, end - i);
        else
            writer.plain(_text.data() + i, end - i);
    }
    return writer.finish();
}

size_t DisplayName::encode(const Capabilities& capabilities, Filter::Result* output, bool) const
{
    if (_text.empty()) return 0;
    Formatting formatting(_text.data(), _text.size());
    if (!formatting.ascii() && !capabilities.allowsUtf8 && !blank())
        return encodeWords(0, INT_MAX, output); // one line: the caller places the name
    return output->append(plain());
}

size_t DisplayName::encode(const Capabilities& capabilities, Filter::WordWrap* output, bool) const
{
    if (_text.empty()) return 0;
    if (foldable(capabilities)) return output->append(plain());
    // The wrapper places the words: made for the room left on its line, a
    // first word would be split where a whole one fits the next line, and
    // some readers (Python's address parser) read a blank between the two.
    return encodeWords(0, capabilities.sizes.preferred, output);
}

size_t DisplayName::encode(const Capabilities& capabilities, Filter::LineLength* output, bool) const
{
    if (_text.empty()) return 0;
    if (foldable(capabilities))
    {
        Filter::WordWrap wrap(output, capabilities.sizes);
        size_t written = wrap.append(plain());
        return written + wrap.flush();
    }
    return encodeWords(output->size().preferred, capabilities.sizes.preferred, output);
}

} // namespace Mime
} // namespace Kestrava
