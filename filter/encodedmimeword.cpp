#include "filter/encodedmimeword.h"

#include "filter/detail/set.h"
#include "filter/mimehex.h"
#include "filter/utf8.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Filter
{

namespace
{

const char closing[] = "?=";

/// The room a whole UTF-8 sequence needs when it begins with `lead`, all of
/// its bytes escaped.
size_t sequenceRoom(unsigned char lead)
{
    if (lead >= 0xF0) return 12;
    if (lead >= 0xE0) return 9;
    if (lead >= 0xC0) return 6;
    return 3;
}

[[noreturn]] void tooSmall()
{
    throw std::runtime_error("available space is too small for one word");
}

} // namespace

const char* EncodedMimeWord::charsetOf(const char* data, size_t size)
{
    return wellFormedUtf8(data, size) ? "utf-8" : "unknown-8bit";
}

EncodedMimeWord::EncodedMimeWord(const char* data, size_t size, size_t space,
                                 MimeHeaderEncoding encoding)
    : EncodedMimeWord(data, size, space, encoding, charsetOf(data, size))
{
}

EncodedMimeWord::EncodedMimeWord(const char* data, size_t size, size_t space,
                                 MimeHeaderEncoding encoding, const char* charset)
    : _text(std::string("=?") + charset + "?q?"), _inputSize(size)
{
    size_t frame = _text.size() + sizeof closing - 1;
    bool utf8 = std::strcmp(charset, "utf-8") == 0;
    if (space < frame + 1) tooSmall();
    size_t budget = space - frame;
    const char* escaped = escapedSpecials(encoding);
    for (; _consumed < size; ++_consumed)
    {
        auto c = static_cast<unsigned char>(data[_consumed]);
        // Only the blank has "_": other white space, a tab say, is escaped
        // so that it comes back as itself.
        if (c == ' ')
        {
            if (budget < 1) break;
            _text.push_back('_');
            budget -= 1;
        }
        else if (c < 0x80 && std::isprint(c) && !detail::inSet(escaped, static_cast<char>(c)))
        {
            if (budget < 1) break;
            _text.push_back(static_cast<char>(c));
            budget -= 1;
        }
        else
        {
            // A character is never split over two words: its lead byte goes
            // only where all its bytes fit (bytes that are no UTF-8 form no
            // characters).
            size_t needed = utf8 ? std::min(sequenceRoom(c), 3 * (size - _consumed)) : 3;
            if (budget < needed) break;
            MimeHex escape(static_cast<char>(c));
            _text.append(escape.data(), escape.size());
            budget -= escape.size();
        }
    }
    if (_consumed == 0) tooSmall();
    _text.append(closing);
}

} // namespace Filter
} // namespace Kestrava
