#include "filter/base64decode.h"

#include "openssl/functions.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace Kestrava
{
namespace Filter
{

namespace
{

// Whole groups are handed to the BIO in batches of at most this many
// characters, so that its buffers stay small.
constexpr size_t batchSize = 4 * 1024;

using Alphabet = std::array<bool, 256>;

Alphabet makeAlphabet()
{
    Alphabet alphabet{};
    for (const char* c = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"; *c;
         ++c)
        alphabet[static_cast<unsigned char>(*c)] = true;
    return alphabet;
}

const Alphabet alphabet = makeAlphabet();

} // namespace

Base64Decode::Base64Decode(bool, Result* next) : Filter(next)
{
    _groups.reserve(batchSize);
}

size_t Base64Decode::process(const char* data, size_t size, bool)
{
    size_t total = 0;
    for (const char* end = data + size; data != end && !_ended; ++data)
    {
        char c = *data;
        if (alphabet[static_cast<unsigned char>(c)])
        {
            _padding = 0;
            _group[_held++] = c;
            if (_held < 4) continue;
        }
        else if (c == '=' && _held >= 2)
        {
            // Python's rule: "=" counts only after two characters of a group
            // and, once the group is complete, ends the input.
            if (_held + ++_padding < 4) continue;
            std::fill(_group + _held, _group + 4, '=');
            _ended = true;
        }
        else
            continue;
        _groups.append(_group, 4);
        _held = 0;
        if (_groups.size() >= batchSize) total += decodeGroups();
    }
    return total + decodeGroups();
}

size_t Base64Decode::decodeGroups()
{
    if (_groups.empty()) return 0;
    int size = static_cast<int>(_groups.size());
    if (OpenSSL::BIO_write(_bios.memory(), _groups.data(), size) != size)
        throw std::runtime_error("OpenSSL could not take base64 input");
    _groups.clear();
    size_t total = 0;
    char block[4096];
    int count;
    while ((count = OpenSSL::BIO_read(_bios.base64(), block, sizeof block)) > 0)
        total += next->append(block, static_cast<size_t>(count), false);
    return total;
}

} // namespace Filter
} // namespace Kestrava
