#include "mime/arcline.h"

#include "filter/linetracker.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/capabilities.h"
#include "mime/dkimsignature.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

namespace
{

std::string folded(const char* name, const std::string& value)
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

} // namespace

std::string arcHead(const char* name, const std::string& value)
{
    // The b= pieces go on lines of their own, so the signed text is known
    // before the signature is.
    return folded(name, value) + ";\r\n b=";
}

std::string arcLine(const char* name, const std::string& value, const std::string& signature)
{
    if (signature.empty()) return folded(name, value) + "\r\n";
    std::string text = arcHead(name, value);
    for (char c : signature)
        text += c == ' ' ? std::string("\r\n ") : std::string(1, c);
    return text + "\r\n";
}

std::string arcLine(const char* name, const DkimSignature& signature)
{
    std::string value = signature.str(true);
    // b= is the last tag of a new signature.
    size_t b = value.rfind("; b=");
    return arcLine(name, value.substr(0, b), signature.signature());
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
