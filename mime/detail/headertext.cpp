#include "mime/detail/headertext.h"

#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/mimeword.h"
#include "filter/string.h"
#include "mime/detail/ctype.h"
#include "mime/fields/comment.h"
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

std::string decodeWords(const char* data, size_t size)
{
    std::string text;
    Filter::String sink(&text);
    Filter::MimeHeaderDecode decoder("utf-8", &sink);
    decoder.process(data, size, false);
    decoder.flush();
    return text;
}

namespace
{

/// The encoded word decoded into UTF-8; one in a charset iconv does not
/// know gives its bytes, as readers keep them.
std::string decodedWord(const Filter::MimeWord& word)
{
    std::string text;
    Filter::String sink(&text);
    try
    {
        word.write("utf-8", &sink);
    }
    catch (const std::runtime_error&)
    {
        text.clear();
        std::string bytes = std::string("=?unknown-8bit?") + static_cast<char>(word.encoding()) +
                            "?" + std::string(word.text(), word.size()) + "?=";
        Filter::MimeWord(bytes.data(), bytes.size(), false).write("utf-8", &sink);
    }
    return text;
}

/// Where the encoded word that starts at `start` ends, or 0 for none: its
/// charset, letter and text hold no "?" and no white space.
size_t wordEnd(const std::string& text, size_t start)
{
    if (text.compare(start, 2, "=?") != 0) return 0;
    size_t mark = text.find('?', start + 2);
    if (mark == std::string::npos || mark == start + 2 || mark + 2 >= text.size() ||
        text[mark + 2] != '?')
        return 0;
    size_t close = text.find("?=", mark + 3);
    if (close == std::string::npos) return 0;
    for (size_t i = start + 2; i < close; ++i)
        if (isSpace(text[i]) || (text[i] == '?' && i != mark && i != mark + 2)) return 0;
    Filter::MimeWord word(text.data() + start, close + 2 - start, false);
    return word.encoded() ? close + 2 : 0;
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
        QuotedPiece piece{QuotedPiece::word, i, wordEnd(text, i)};
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
    size_t written = 0;
    // The text of the words read so far, with the white space before them;
    // encoded words that follow each other join without it (RFC 2047
    // section 6.2).
    std::string piece;
    std::string before;
    bool pieceEncoded = false;
    std::string blanks;
    auto writePiece = [&]()
    {
        // A word that decodes to nothing leaves its white space to the next.
        if (piece.empty())
        {
            blanks = before + blanks;
            return;
        }
        encoder.separate(before.data(), before.size());
        written += encoder.process(piece.data(), piece.size(), false);
        piece.clear();
    };
    for (size_t i = 0; i < size;)
    {
        size_t end = i;
        if (breaksWords(data[i]))
        {
            for (; end < size && breaksWords(data[end]); ++end)
                // Unfolded: the line breaks of folds go.
                if (data[end] != '\r' && data[end] != '\n') blanks += data[end];
            i = end;
            continue;
        }
        while (end < size && !breaksWords(data[end]))
            ++end;
        Filter::MimeWord word(data + i, end - i, false);
        std::string text;
        bool decoded = false;
        if (decode && word.encoded())
        {
            text = decodedWord(word);
            decoded = true;
        }
        if (!decoded) text.assign(data + i, end - i);
        if (decoded && pieceEncoded && !piece.empty())
            piece += text;
        else
        {
            writePiece();
            before = blanks.empty() ? " " : blanks;
            piece = text;
        }
        blanks.clear();
        pieceEncoded = decoded;
        i = end;
    }
    writePiece();
    return written + encoder.flush();
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
                Filter::MimeWord(text.data() + piece.start, piece.end - piece.start, false));
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
