#pragma once

#include <cstddef>

namespace Kestrava {
namespace JSON {
namespace detail {

/**
 * The pieces of strict RFC 8259 text that the tree parser and the one-pass
 * copy both read, so that both refuse exactly the same texts.
 */

/// Arrays and objects nested deeper are refused, to keep the stack (and
/// every recursive walk over a value) bounded.
constexpr int maximumDepth = 1000;

inline bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline const char* skipBlanks(const char* position, const char* end)
{
    while (position != end &&
           (*position == ' ' || *position == '\n' || *position == '\r' || *position == '\t'))
        ++position;
    return position;
}

/// What follows an item of a container: a comma and blanks, past which the
/// next item starts (true), or its closing character, at which position is
/// left (true, closed set); false for anything else.
inline bool nextItem(const char*& position, const char* end, char close, bool& closed)
{
    position = skipBlanks(position, end);
    if (position == end) return false;
    closed = *position == close;
    if (closed) return true;
    if (*position != ',') return false;
    position = skipBlanks(position + 1, end);
    return true;
}

/// Past a UTF-8 byte order mark at the start, which RFC 8259 lets a reader skip.
const char* skipByteOrderMark(const char* position, const char* end);

/// The length of the valid UTF-8 sequence (RFC 3629: no overlong forms, no
/// surrogates, nothing above U+10FFFF) of two bytes or more at position, or
/// 0 when there is none.
size_t sequenceLength(const char* position, const char* end);

/// The end of the number at position, or null when none starts there;
/// integerEnd is where its integer part ends (the end for an integer).
const char* numberEnd(const char* position, const char* end, const char*& integerEnd);

/// Reads the four hex digits of a \u escape at position and, when a low
/// surrogate's escape follows a high one, that one too. The character they
/// stand for: the pair joined, else the unit itself (a lone surrogate
/// included); -1 when the digits are not four hex digits.
long unicodeEscape(const char*& position, const char* end);

/// Writes the UTF-8 form of codePoint (a lone surrogate gets the three-byte
/// form its value would have) and returns the end of it.
char* encodeUtf8(unsigned codePoint, char* out);

/// The character that a one-letter escape (the letter after the backslash)
/// stands for, or -1 when it is none ("u" included).
int escapedCharacter(char letter);

/// The character among '"', '\\', '/' and the control characters as JSON
/// text writes it ("\n", "\u001f", "\/"): at most six bytes to out; returns
/// their count.
size_t escapeOf(unsigned codePoint, char* out);

} // namespace detail
} // namespace JSON
} // namespace Kestrava
