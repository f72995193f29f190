#include "filter/replace.h"

#include "filter/detail/output.h"

#include <cstring>

namespace Kestrava
{
namespace Filter
{

Replace::Replace(Result* next, const char* search, const char* replacement)
    : Filter(next), _search(search), _length(std::strlen(search)), _replacement(replacement),
      _fallback(_length + 1, 0)
{
    for (size_t k = 2; k <= _length; ++k)
    {
        size_t candidate = _fallback[k - 1];
        while (candidate > 0 && _search[candidate] != _search[k - 1])
            candidate = _fallback[candidate];
        if (_search[candidate] == _search[k - 1]) ++candidate;
        _fallback[k] = candidate;
    }
}

Replace::~Replace()
{
    try
    {
        if (_matched > 0) next->append(_search, _matched, false);
    }
    catch (...)
    {
        // A destructor must not throw.
    }
}

size_t Replace::process(const char* data, size_t size, bool final)
{
    if (_length == 0) return next->append(data, size, final);
    detail::Output output(next, final);
    // The bytes not yet written: `held` bytes of an earlier chunk (they are
    // the head of search) followed by data[start, i).
    size_t held = _matched;
    size_t start = 0;
    auto writeHead = [&](size_t count)
    {
        size_t fromHeld = count < held ? count : held;
        if (fromHeld > 0) output.add(_search, fromHeld);
        output.keep(data + start, count - fromHeld);
        start += count - fromHeld;
        held = 0;
    };
    for (size_t i = 0; i < size; ++i)
    {
        while (_matched > 0 && _search[_matched] != data[i])
            _matched = _fallback[_matched];
        if (_search[_matched] == data[i]) ++_matched;
        if (_matched < _length) continue;
        writeHead(held + (i + 1 - start) - _length);
        output.literal(_replacement, std::strlen(_replacement));
        start = i + 1;
        _matched = 0;
    }
    writeHead(held + (size - start) - _matched);
    return output.finish();
}

} // namespace Filter
} // namespace Kestrava
