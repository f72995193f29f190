#include "filter/base64decode.h"

#include "filter/detail/alphabet.h"
#include "filter/detail/base64bios.h"

#include <algorithm>

namespace Kestrava
{
namespace Filter
{

namespace
{

// Whole groups are handed to the BIOs in batches of at most this many
// characters (a multiple of 4): BIO lengths are ints, and small batches
// keep the output in cache.
constexpr size_t batchSize = 16 * 1024;

} // namespace

Base64Decode::Base64Decode(bool, Result* next) : Filter(next) {}

Base64Decode::~Base64Decode()
{
    try
    {
        finish();
    }
    catch (...)
    {
        // A destructor must not throw.
    }
}

size_t Base64Decode::flush()
{
    size_t total = finish();
    return total + next->flush();
}

size_t Base64Decode::finish()
{
    if (_ended) return 0;
    _ended = true;
    if (_held.size() < 2) return 0;
    _held.resize(4, '=');
    return decode(_held.data(), _held.size());
}

size_t Base64Decode::process(const char* data, size_t size, bool)
{
    size_t total = 0;
    const char* end = data + size;
    while (data != end && !_ended)
    {
        const char* run = data;
        data = detail::endOfBase64Run(data, end);
        if (data != run)
        {
            _padding = 0;
            total += take(run, static_cast<size_t>(data - run));
        }
        if (data == end) break;
        // Python's rule: "=" counts only after two characters of a group
        // and, once the group is complete, ends the input.
        if (*data++ != '=' || _held.size() < 2) continue;
        if (_held.size() + ++_padding < 4) continue;
        _held.resize(4, '=');
        _ended = true;
        total += decode(_held.data(), _held.size());
    }
    return total;
}

size_t Base64Decode::take(const char* run, size_t size)
{
    size_t total = 0;
    if (!_held.empty())
    {
        size_t missing = std::min(4 - _held.size(), size);
        _held.append(run, missing);
        run += missing;
        size -= missing;
        if (_held.size() < 4) return 0;
        total += decode(_held.data(), 4);
        _held.clear();
    }
    size_t whole = size & ~size_t(3);
    total += decode(run, whole);
    _held.assign(run + whole, size - whole);
    return total;
}

size_t Base64Decode::decode(const char* groups, size_t size)
{
    size_t total = 0;
    while (size > 0)
    {
        int piece = static_cast<int>(std::min(size, batchSize));
        detail::Base64Bios bios(groups, piece);
        total += detail::Base64Bios::readAll(bios.base64(), next);
        groups += piece;
        size -= static_cast<size_t>(piece);
    }
    return total;
}

} // namespace Filter
} // namespace Kestrava
