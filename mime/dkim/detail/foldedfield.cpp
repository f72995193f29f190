#include "mime/dkim/detail/foldedfield.h"

#include "filter/linetracker.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

std::string foldedField(const char* name, const std::string& value)
{
    std::string text;
    Filter::String sink(&text);
    {
        Filter::LineTracker tracker(&sink);
        Filter::WordWrap wrap(&tracker, Capabilities::standard().sizes);
        std::string start = std::string(name) + ": ";
        wrap.process(start.data(), start.size(), false);
        wrap.process(value);
        wrap.flush();
    }
    return text;
}

std::string foldedPieces(const std::string& pieces)
{
    std::string text;
    for (char c : pieces)
        text += c == ' ' ? std::string("\r\n ") : std::string(1, c);
    return text;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
