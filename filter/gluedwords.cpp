#include "filter/gluedwords.h"

#include "filter/mimeword.h"

#include <cctype>
#include <cstring>
#include <string_view>

namespace Kestrava
{
namespace Filter
{

GluedWords::GluedWords(const char* data, size_t size, bool afterText)
{
    std::string_view text(data, size);
    size_t position = 0;
    while (position < size)
    {
        size_t start = afterText ? std::min(text.find("=?", position), size) : position;
        add(data + position, start - position, false);
        size_t end = start < size ? wordEnd(data, size, start) : 0;
        if (end == 0)
        {
            add(data + start, size - start, false);
            return;
        }
        add(data + start, end - start, true);
        position = end;
    }
}

size_t GluedWords::wordEnd(const char* data, size_t size, size_t start)
{
    if (size - start < 2 || data[start] != '=' || data[start + 1] != '?') return 0;
    auto mark = static_cast<const char*>(std::memchr(data + start + 2, '?', size - start - 2));
    if (mark == nullptr || mark == data + start + 2) return 0;
    size_t letter = static_cast<size_t>(mark - data) + 1;
    if (letter + 1 >= size || data[letter + 1] != '?') return 0;
    auto close = static_cast<const char*>(std::memchr(data + letter + 2, '?', size - letter - 2));
    if (close == nullptr || close + 1 == data + size || close[1] != '=') return 0;
    size_t end = static_cast<size_t>(close - data) + 2;
    for (size_t i = start; i < end; ++i)
        if (std::isspace(static_cast<unsigned char>(data[i]))) return 0;
    return MimeWord(data + start, end - start).encoded() ? end : 0;
}

void GluedWords::add(const char* data, size_t size, bool encoded)
{
    if (size == 0) return;
    if (!encoded && !_pieces.empty() && !_pieces.back().encoded)
        _pieces.back().size += size;
    else
        _pieces.push_back({data, size, encoded});
}

} // namespace Filter
} // namespace Kestrava
