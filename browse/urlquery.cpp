// Query building of Url: appending form-encoded text and parameters.
#include "browse/url.h"

#include "filter/string.h"
#include "filter/urlencode.h"

#include <cstring>

namespace Kestrava
{
namespace Browse
{

void Url::encode(const char* data, size_t size)
{
    Filter::String sink(&_text);
    Filter::UrlEncode encoder(&sink);
    encoder.process(data, size, false);
    resplit();
}

void Url::add(const char* key, const char* value)
{
    const char* path = _pointers.path;
    if (path == nullptr)
        _text += "/?";
    else
        _text += strchr(path, '?') != nullptr ? '&' : '?';
    Filter::String sink(&_text);
    Filter::UrlEncode encoder(&sink);
    encoder.process(key, strlen(key), false);
    _text += '=';
    encoder.process(value, strlen(value), false);
    resplit();
}

void Url::resplit()
{
    bool hadPath = _pointers.path != nullptr;
    _pointers.reset(_text.data(), _text.size());
    // Text appended to a URL without path extends its host.
    if (!hadPath) build(false);
}

} // namespace Browse
} // namespace Kestrava
