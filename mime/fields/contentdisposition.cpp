#include "mime/fields/contentdisposition.h"

#include "filter/result.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/detail/skip.h"
#include "mime/detail/token.h"
#include "mime/detail/wrapped.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

ContentDisposition::Setting::Setting(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && detail::isSpace(data[i]))
        ++i;
    if (i == size || data[i] == ';') throw std::runtime_error("no content-disposition value");
    _data = data + i;
    for (; i < size && data[i] != ';'; ++i)
    {
        char c = data[i];
        if (detail::isSpace(c))
        {
            // CFWS may follow the token (RFC 2183), not split it.
            size_t end = detail::tokenEnd(data + i, size - i);
            if (end == 0) throw std::runtime_error("invalid content-disposition");
            _size = data + i - _data;
            _consumed = i + end;
            _comments = detail::commentsIn(data + i, end);
            return;
        }
        if (!detail::isAlnum(c) && c != '-')
            throw std::runtime_error("invalid content-disposition");
    }
    _size = data + i - _data;
    _consumed = i < size ? i + 1 : i;
}

ContentDisposition::ContentDisposition(const char* data, size_t size)
    : _setting(data, size), _params(data + _setting.consumed(), size - _setting.consumed(), true)
{
}

size_t ContentDisposition::encode(const Capabilities& capabilities, Filter::Result* output,
                                  bool final) const
{
    size_t written = output->append(_setting.data(), _setting.size(), final);
    written += detail::writeComments(_setting.comments(), capabilities.allowsUtf8, output);
    return written + _params.encode(capabilities, output, final);
}

size_t ContentDisposition::encode(const Capabilities& capabilities, Filter::LineLength* output,
                                  bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
