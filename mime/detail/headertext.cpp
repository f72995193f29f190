#include "mime/detail/headertext.h"

#include "filter/escape.h"
#include "filter/mimeheaderdecode.h"
#include "filter/string.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

std::string decodeWords(const char* data, size_t size)
{
    std::string text;
    Filter::String sink(&text);
    Filter::MimeHeaderDecode decoder("utf-8", &sink);
    decoder.process(data, size, false);
    decoder.flush();
    return text;
}

std::string decodeWordsOrKeep(const char* data, size_t size)
{
    try
    {
        return decodeWords(data, size);
    }
    catch (const std::runtime_error&)
    {
        return std::string(data, size);
    }
}

std::string quote(const std::string& text)
{
    std::string quoted("\"");
    Filter::String sink(&quoted);
    Filter::Escape escape(&sink, "\\\"", '\\');
    escape.process(text.data(), text.size(), false);
    quoted.push_back('"');
    return quoted;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
