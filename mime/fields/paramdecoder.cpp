#include "mime/fields/paramdecoder.h"

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// A hex digit of an escape: 0-9 as such, anything else as its lower-case
/// form minus 87, so that a-f give 10-15.
unsigned nibble(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u - 'A' + 'a');
    return u - 87u;
}

/// The charset, or "unknown-8bit" for one that iconv does not know (an
/// alias of its own, say): the value then keeps its bytes, as readers
/// keep them, instead of being lost.
std::string readable(const std::string& charset)
{
    std::string ignored;
    Kestrava::Filter::String sink(&ignored);
    try
    {
        Kestrava::Filter::Charset probe(&sink, "utf-8", charset);
        return charset;
    }
    catch (const std::runtime_error&)
    {
        return "unknown-8bit";
    }
}

} // namespace

ParamDecoder::ParamDecoder(const std::string& charset, std::string* target)
    : _target(target), _start(target->size()), _sink(target),
      _charset(&_sink, "utf-8//TRANSLIT", readable(charset)), _copy(&_charset, &_bytes),
      _percent(&_copy)
{
}

void ParamDecoder::decode(const char* data, size_t size)
{
    _percent.process(data, size, false);
}

void ParamDecoder::append(const std::string& text)
{
    _charset.flush();
    _sink.append(text);
    _bytes += text;
}

void ParamDecoder::finish()
{
    if (_charset.lossless()) return;
    _target->resize(_start);
    *_target += _bytes;
}

size_t ParamDecoder::Copy::process(const char* data, size_t size, bool final)
{
    _copy->append(data, size);
    return next->append(data, size, final);
}

size_t ParamDecoder::Percent::process(const char* data, size_t size, bool final)
{
    size_t written = 0;
    size_t run = 0;
    for (size_t i = 0; i < size; ++i)
    {
        if (_escape)
        {
            _pending = (_pending << 4) | nibble(data[i]);
            if (++_digits < 2) continue;
            char byte = static_cast<char>(_pending & 0xFF);
            written += next->append(&byte, 1, false);
            _escape = false;
            run = i + 1;
            continue;
        }
        if (data[i] != '%') continue;
        if (i > run) written += next->append(data + run, i - run, final);
        _escape = true;
        _digits = 0;
        _pending = 0;
        run = i + 1;
    }
    if (!_escape && size > run) written += next->append(data + run, size - run, final);
    return written;
}

} // namespace Mime
} // namespace Kestrava
