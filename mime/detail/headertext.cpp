#include "mime/detail/headertext.h"

#include "filter/adjacentwords.h"
#include "filter/gluedwords.h"
#include "filter/mimeheaderencode.h"
#include "filter/mimeword.h"
#include "filter/string.h"
#include "mime/detail/ctype.h"
#include "mime/detail/textwriter.h"
#include "mime/fields/comment.h"
#include "mime/fields/formatting.h"
#include "mime/fields/quotedstring.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

std::string decodeDotAtom(const char* data, size_t size)
{
    std::string text;
    Filter::String sink(&text);
    for (size_t start = 0; start <= size;)
    {
        size_t end = start;
        while (end < size && data[end] != '.')
            ++end;
        size_t word = Filter::GluedWords::wordEnd(data + start, end - start, 0);
        if (word > 0)
        {
            Filter::AdjacentWords alone("utf-8", true);
            alone.add(data + start, word);
            alone.write(&sink);
        }
        text.append(data + start + word, end - start - word);
        if (end < size) text += '.';
        start = end + 1;
    }
    return text;
}

bool readsBackAsDotAtom(const std::string& text)
{
    if (!Formatting(text.data(), text.size()).dottedatom()) return false;
    try
    {
        return decodeDotAtom(text.data(), text.size()) == text;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

namespace
{

/// The encoded word of a parameter value decoded into UTF-8; where its
/// bytes do not convert, or its charset is one iconv does not know, its
/// bytes, as readers keep them there: an RFC 2231 value carries them back.
std::string decodedWord(const Filter::MimeWord& word)
{
    std::string bytes = word.bytes();
    std::string text;
    try
    {
        if (Filter::MimeWord::convert(bytes, word.charset(), "utf-8", text)) return text;
    }
    catch (const std::runtime_error&)
    {
    }
    return bytes;
}

/// A piece of a quoted value: a run of blanks, an encoded word, or plain
/// text up to the next blank (a word glued to text before it is none).
struct QuotedPiece
{
    enum Kind
    {
        blanks,
        word,
        plain,
    };
    Kind kind;
    size_t start;
    size_t end;
};

std::vector<QuotedPiece> quotedPieces(const std::string& text)
{
    std::vector<QuotedPiece> pieces;
    for (size_t i = 0; i < text.size();)
    {
        QuotedPiece piece{QuotedPiece::word, i,
                          Filter::GluedWords::wordEnd(text.data(), text.size(), i)};
        if (piece.end == 0)
        {
            bool blank = isSpace(text[i]);
            piece.kind = blank ? QuotedPiece::blanks : QuotedPiece::plain;
            piece.end = i;
            while (piece.end < text.size() && isSpace(text[piece.end]) == blank)
                ++piece.end;
        }
        pieces.push_back(piece);
        i = piece.end;
    }
    return pieces;
}

/// Whether the piece is blanks between two words, which readers drop (RFC
/// 2047 section 6.2).
bool betweenWords(const std::vector<QuotedPiece>& pieces, size_t i)
{
    return pieces[i].kind == QuotedPiece::blanks && i > 0 && i + 1 < pieces.size() &&
           pieces[i - 1].kind == QuotedPiece::word && pieces[i + 1].kind == QuotedPiece::word;
}

/// White space that may fold a line: what else isspace() takes stays in a
/// word, encoded.
bool breaksWords(char c)
{
    return isBlank(c) || c == '\r' || c == '\n';
}

/// The text of a comment, its escapes resolved, as RFC 2047 encoded words
/// where it needs them (RFC 2047 section 5 lets them stand in comments).
std::string encodedComment(const char* data, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\\' && i + 1 < size) ++i;
        text += data[i];
    }
    std::string encoded;
    Filter::String sink(&encoded);
    // The phrase's specials take in every character a comment holds apart.
    Filter::MimeHeaderEncode encoder(0, INT_MAX, Filter::MimeHeaderEncoding::Phrase, &sink);
    encoder.process(text.data(), text.size(), false);
    encoder.flush();
    return encoded;
}

} // namespace

size_t encodeText(const char* data, size_t size, size_t used, size_t limit, Filter::Result* output,
                  bool decode, bool continues)
{
    Filter::MimeHeaderEncode::Encoder encoder(used, limit, Filter::MimeHeaderEncoding::Text,
                                              output);
    if (continues) encoder.continueLine();
    TextWriter writer(encoder);
    for (size_t i = 0; i < size;)
    {
        size_t end = i;
        if (breaksWords(data[i]))
        {
            while (end < size && breaksWords(data[end]))
                ++end;
            writer.blanks(data + i, end - i);
            i = end;
            continue;
        }
        while (end < size && !breaksWords(data[end]))
            ++end;
        if (!decode)
            writer.plain(data + i, end - i);
        else
        {
            Filter::GluedWords word(data + i, end - i, true);
            for (const Filter::GluedWords::Piece& piece : word.pieces())
                piece.encoded ? writer.word(piece.data, piece.size)
                              : writer.plain(piece.data, piece.size);
        }
        i = end;
    }
    return writer.finish();
}

bool readsAsWords(const std::string& text)
{
    if (text.find("=?") == std::string::npos) return false;
    std::vector<QuotedPiece> pieces = quotedPieces(text);
    return std::any_of(pieces.begin(), pieces.end(),
                       [](const QuotedPiece& piece) { return piece.kind == QuotedPiece::word; });
}

bool decodeQuotedWords(const std::string& text, std::string& decoded)
{
    if (!readsAsWords(text)) return false;
    std::vector<QuotedPiece> pieces = quotedPieces(text);
    decoded.clear();
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        const QuotedPiece& piece = pieces[i];
        if (piece.kind == QuotedPiece::word)
            decoded += decodedWord(
                Filter::MimeWord(text.data() + piece.start, piece.end - piece.start));
        else if (!betweenWords(pieces, i))
            decoded.append(text, piece.start, piece.end - piece.start);
    }
    return true;
}

bool quotedWordsToWrite(const std::string& text, std::string& written)
{
    // Such a value goes as an RFC 2231 value, where no word is read.
    if (std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; })) return false;
    std::vector<QuotedPiece> pieces = quotedPieces(text);
    written.clear();
    for (size_t i = 0; i < pieces.size(); ++i)
    {
        const QuotedPiece& piece = pieces[i];
        if (betweenWords(pieces, i))
            written += ' ';
        else if (piece.kind == QuotedPiece::blanks && piece.end - piece.start > 1 &&
                 i + 1 < pieces.size() && pieces[i + 1].kind == QuotedPiece::word)
            return false;
        else
            written.append(text, piece.start, piece.end - piece.start);
    }
    return true;
}

size_t writeComments(const std::string& text, bool utf8, Filter::Result* output)
{
    size_t written = 0;
    size_t run = 0;
    try
    {
        for (size_t i = 0, length; i < text.size(); i += length)
        {
            length = 1;
            if (text[i] == '"') length = QuotedString(text.data() + i, text.size() - i).consumed();
            if (text[i] != '(') continue;
            length = Comment(text.data() + i, text.size() - i).consumed();
            if (utf8 || !hasEightBit(text.data() + i, length)) continue;
            written += output->append(text.data() + run, i - run, false);
            std::string encoded = encodedComment(text.data() + i + 1, length - 2);
            written += output->append("(", 1, true);
            written += output->append(encoded.data(), encoded.size(), false);
            written += output->append(")", 1, true);
            run = i + length;
        }
    }
    catch (const std::runtime_error&)
    {
        // An unfinished comment or quoted string ends the text as it came.
    }
    return written + output->append(text.data() + run, text.size() - run, false);
}

std::string quote(const std::string& text)
{
    std::string quoted("\"");
    for (char c : text)
    {
        // A reader unfolds raw line breaks in a quoted string and makes any
        // other white space a blank; a line break cannot stand in a header
        // line at all, so it becomes a blank (left out, it could empty a
        // group's name and lose the group), the rest comes back as it was
        // once escaped.
        if (c == '\r' || c == '\n')
        {
            quoted.push_back(' ');
            continue;
        }
        if (c == '\\' || c == '"' || (c != ' ' && isSpace(c))) quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
