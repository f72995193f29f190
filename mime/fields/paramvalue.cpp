#include "mime/fields/paramvalue.h"

#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/fields/paramcharset.h"
#include "mime/fields/paramdecoder.h"
#include "mime/fields/paramkey.h"
#include "mime/fields/quotedstring.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

void checkStrict(char c)
{
    if (!detail::isAscii(c)) throw std::runtime_error("non-ascii character in parameter value");
    if (detail::isControl(c)) throw std::runtime_error("control character in parameter value");
    if (detail::isTspecial(c) && c != '=')
        throw std::runtime_error("invalid character in parameter value");
}

} // namespace

ParamValue::ParamValue(const ParamKey& key, const char* data, size_t size, bool strict)
{
    if (size > 0 && data[0] == '"')
    {
        QuotedString quoted(data, size);
        _text = quoted.text();
        _consumed = quoted.consumed();
        std::string decoded;
        if (!key.extended() && detail::decodeQuotedWords(_text, decoded))
        {
            _raw = std::move(_text);
            _text = std::move(decoded);
            _words = true;
        }
    }
    else
    {
        while (_consumed < size && !detail::isSpace(data[_consumed]) && data[_consumed] != ';')
        {
            if (strict) checkStrict(data[_consumed]);
            ++_consumed;
        }
        _text.assign(data, _consumed);
        _token = true;
    }
    if (!key.extended() || key.sectioned()) return;
    ParamCharset charset(_text);
    std::string decoded;
    ParamDecoder decoder(charset.name(), &decoded);
    decoder.decode(_text.data() + charset.textStart(), _text.size() - charset.textStart());
    decoder.finish();
    _text = std::move(decoded);
    _token = false;
}

void ParamValue::append(const ParamValue& other)
{
    std::string raw = this->raw() + other.raw();
    _text += other._text;
    _words = _words || other._words;
    _raw = _words ? std::move(raw) : std::string();
    _token = false;
}

} // namespace Mime
} // namespace Kestrava
