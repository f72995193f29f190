#include "filter/bufferuntil.h"

#include "filter/detail/set.h"

namespace Kestrava
{
namespace Filter
{

BufferUntil::~BufferUntil()
{
    try
    {
        flush();
    }
    catch (...)
    {
        // A destructor must not throw (a word may name an unknown charset).
    }
}

size_t BufferUntil::process(const char* data, size_t size, bool final)
{
    size_t total = 0;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i)
    {
        if (!detail::inSet(_set, data[i])) continue;
        if (_buffer.empty())
            total += next->append(data + start, i - start, final);
        else
        {
            std::string word;
            word.swap(_buffer);
            word.append(data + start, i - start);
            _pending = BufferSize(1, 1);
            total += next->append(word.data(), word.size(), false);
        }
        start = i + 1;
    }
    _buffer.append(data + start, size - start);
    _pending.max += size - start;
    _pending.preferred += detail::countCharacters(data + start, size - start);
    return total;
}

size_t BufferUntil::flush()
{
    if (_buffer.empty()) return next->flush();
    std::string word;
    word.swap(_buffer);
    _pending = BufferSize(1, 1);
    size_t total = next->append(word.data(), word.size(), false);
    return total + next->flush();
}

} // namespace Filter
} // namespace Kestrava
