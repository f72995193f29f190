#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Filter
{
class Result;
}
namespace Mime
{
namespace detail
{

/// A dot-atom with the RFC 2047 encoded word that starts an atom in it
/// decoded into UTF-8, as the local part of an address reads; what is glued
/// after the word is text there, as Python's email reads it. Throws
/// std::runtime_error "Conversion not possible" for a charset that iconv
/// does not know.
std::string decodeDotAtom(const char* data, size_t size);

/// Whether the local part, written bare, reads back as itself: a dot-atom
/// in which a reader decodes no encoded word (nor fails on one).
bool readsBackAsDotAtom(const std::string& text);

/// Whether a quoted parameter value holds text that readers take for an
/// RFC 2047 encoded word (see decodeQuotedWords()).
bool readsAsWords(const std::string& text);

/// A quoted parameter value with its RFC 2047 encoded words decoded into
/// UTF-8, as mail readers read them though RFC 2047 section 5 keeps them
/// out of quoted strings: a word counts where the value starts, after a
/// blank or right after another word, never glued to text before it; the
/// blanks between two words go, all others stay. False, and `decoded`
/// untouched, when the value holds no encoded word.
bool decodeQuotedWords(const std::string& text, std::string& decoded);

/// Such a value as it may be quoted anew and read the same: the blanks
/// between two words, which readers drop, made one. False where it cannot
/// be: a run of blanks before a word after text loses blanks where the
/// line is folded, or, escaped, glues the word to them for readers; a
/// byte outside ASCII makes it an RFC 2231 value, where no word is read.
bool quotedWordsToWrite(const std::string& text, std::string& written);

/// Writes unstructured header text for a receiver without UTF-8: what
/// needs it as RFC 2047 encoded words, folded at `limit` characters from
/// `used` on, every run of white space, tabs included, kept where readers
/// see it (line breaks go as in unfolding). With `decode`, encoded words in
/// the text, glued ones too, are decoded first as Filter::AdjacentWords
/// decodes them (one in a charset iconv does not know to its bytes where
/// they are UTF-8), and one that does not decode goes as it came; without,
/// the text is plain text throughout. With `continues`, the line holds a
/// word already, which the first word follows after a blank or a fold.
/// Returns the bytes written.
size_t encodeText(const char* data, size_t size, size_t used, size_t limit, Filter::Result* output,
                  bool decode, bool continues);

/// Writes text that stands among parameters (comments, or what a reader
/// passes over) as it came, but for comments with 8-bit bytes: to a
/// receiver without UTF-8 their text goes as RFC 2047 encoded words (RFC
/// 2047 section 5 lets them stand there). Returns the bytes written.
size_t writeComments(const std::string& text, bool utf8, Filter::Result* output);

/// `text` in a quoted string: a backslash before backslashes, quotes and
/// white space other than the blank; line breaks made blanks.
std::string quote(const std::string& text);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
