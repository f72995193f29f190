#include "filter/charset.h"

#include <strings.h>

#include <cerrno>
#include <stdexcept>

namespace Kestrava
{
namespace Filter
{

namespace
{

std::string withTransliteration(const std::string& target)
{
    static const std::string suffix = "//TRANSLIT";
    bool present = target.size() >= suffix.size() &&
                   target.compare(target.size() - suffix.size(), suffix.size(), suffix) == 0;
    return present ? target : target + suffix;
}

bool unknown8bit(const std::string& charset)
{
    return strcasecmp(charset.c_str(), "unknown-8bit") == 0;
}

const iconv_t none = reinterpret_cast<iconv_t>(-1);

} // namespace

Charset::Charset(Result* next, const std::string& target, const std::string& source)
    : Filter(next),
      _descriptor(unknown8bit(source)
                      ? none
                      : iconv_open(withTransliteration(target).c_str(), source.c_str()))
{
    if (_descriptor == none && !unknown8bit(source))
        throw std::runtime_error("Conversion not possible");
}

Charset::~Charset()
{
    if (_descriptor != none) iconv_close(_descriptor);
}

size_t Charset::process(const char* data, size_t size, bool final)
{
    if (_descriptor == none) return next->append(data, size, final);
    if (_leftover.empty()) return convert(data, size);
    std::string joined;
    joined.swap(_leftover);
    joined.append(data, size);
    return convert(joined.data(), joined.size());
}

size_t Charset::convert(const char* data, size_t size)
{
    size_t total = 0;
    auto input = const_cast<char*>(data);
    while (size > 0)
    {
        char block[1024];
        char* output = block;
        size_t room = sizeof block;
        size_t result = iconv(_descriptor, &input, &size, &output, &room);
        int error = errno;
        if (output != block)
            total += next->append(block, static_cast<size_t>(output - block), false);
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        if (error == EINVAL)
        {
            // An incomplete sequence: wait for the rest in the next chunk.
            _leftover.assign(input, size);
            break;
        }
        if (error != EILSEQ) break;
        _skipped = true;
        ++input;
        --size;
    }
    return total;
}

} // namespace Filter
} // namespace Kestrava
