#include "mime/fields/paramdecoder.h"

#include "filter/hexdecode.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

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
      _charset(&_sink, "utf-8//TRANSLIT", readable(charset)), _copy(&_charset, &_bytes)
{
}

void ParamDecoder::decode(const char* data, size_t size)
{
    // Its end writes what an escape cut off there left.
    Kestrava::Filter::HexDecode percent(&_copy);
    percent.process(data, size, false);
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

} // namespace Mime
} // namespace Kestrava
