#include "filter/mimeword.h"

#include "filter/base64decode.h"
#include "filter/charset.h"
#include "filter/detail/hexdigits.h"
#include "filter/detail/output.h"
#include "filter/string.h"

#include <cctype>
#include <algorithm>
#include <cstring>

namespace Kestrava
{
namespace Filter
{

MimeWord::MimeWord(const char* data, size_t size) : _text(data), _size(size)
{
    if (size < 8 || std::memcmp(data, "=?", 2) != 0 || std::memcmp(data + size - 2, "?=", 2) != 0)
        return;
    auto mark = static_cast<const char*>(std::memchr(data + 2, '?', size - 6));
    if (mark == nullptr) return;
    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(mark[1])));
    if ((letter != 'q' && letter != 'b') || mark[2] != '?') return;
    _charset.assign(data + 2, mark);
    // RFC 2231 lets a language follow the charset after "*".
    _charset.erase(std::min(_charset.find('*'), _charset.size()));
    _encoding = letter;
    _text = mark + 3;
    _size = static_cast<size_t>(data + size - 2 - _text);
}

std::string MimeWord::bytes() const
{
    std::string bytes;
    String sink(&bytes);
    if (_encoding == 'b')
    {
        Base64Decode decoder(false, &sink);
        decoder.process(_text, _size, false);
        decoder.finish();
    }
    else
        decodeQ(&sink);
    return bytes;
}

bool MimeWord::convert(const std::string& bytes, const std::string& charset,
                       const std::string& target, std::string& text)
{
    String sink(&text);
    Charset converter(&sink, target, charset);
    converter.process(bytes.data(), bytes.size(), false);
    return converter.lossless();
}

size_t MimeWord::decodeQ(Result* out) const
{
    using detail::hexValue;
    detail::Output output(out, false);
    for (size_t i = 0; i < _size; ++i)
    {
        char c = _text[i];
        if (c == '_')
            output.add(' ');
        else if (c != '=')
            output.keep(_text + i, 1);
        else if (_size - i >= 3 && detail::isHexDigit(_text[i + 1]) &&
                 detail::isHexDigit(_text[i + 2]))
        {
            output.add(static_cast<char>(hexValue(_text[i + 1]) << 4 | hexValue(_text[i + 2])));
            i += 2;
        }
        else
            output.keep(_text + i, 1); // no escape, even cut off: the "=" stands as it is
    }
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
