#include "app/wildcardpointer.h"

#include "json/function.h"

using Kestrava::JSON::Pointer;
using Kestrava::JSON::Value;
namespace function = Kestrava::JSON::function;

namespace {

/// The token as pointer text: "~" first, so that the "~1" of a "/" stays.
std::string escaped(const std::string& token)
{
    std::string text;
    text.reserve(token.size() + 1);
    text += '/';
    for (char character : token)
    {
        if (character == '~') text += "~0";
        else if (character == '/') text += "~1";
        else text += character;
    }
    return text;
}

bool isWildcard(const Pointer::Part& part) { return part.token() == "*"; }

/// Prefixes every text from `first` on with prefix.
void prefix(std::vector<std::string>& texts, size_t first, const std::string& prefix)
{
    for (size_t index = first; index < texts.size(); ++index) texts[index].insert(0, prefix);
}

} // namespace

WildcardPointer::WildcardPointer(const char* text, size_t size) : _pointer(text, size), _wildcard(false)
{
    for (const Pointer::Part& part : _pointer.parts())
        if (isWildcard(part)) _wildcard = true;
}

bool WildcardPointer::find(const Value& document, std::vector<Pointer>& matches, bool dash) const
{
    if (!matches.empty()) return false;
    if (!_wildcard)
    {
        if (!_pointer.match(document)) return false;
        matches.push_back(_pointer);
        return true;
    }
    std::vector<std::string> texts;
    if (!find_recursive(document, 0, texts, dash)) return false;
    matches.reserve(texts.size());
    for (const std::string& text : texts) matches.emplace_back(text);
    return true;
}

bool WildcardPointer::find_recursive(const Value& value, size_t depth, std::vector<std::string>& texts,
                                     bool dash) const
{
    const std::vector<Pointer::Part>& parts = _pointer.parts();
    if (depth == parts.size())
    {
        texts.emplace_back();
        return true;
    }
    const Pointer::Part& part = parts[depth];
    if (!isWildcard(part))
    {
        if (!part.match(value)) return false;
        size_t first = texts.size();
        bool found = find_recursive(part.apply(value), depth + 1, texts, dash);
        prefix(texts, first, escaped(part.token()));
        return found;
    }
    fjson_object* array = value.object();
    if (function::get_type(array) != fjson_type_array) return false;
    bool found = false;
    int length = function::array_length(array);
    for (int index = 0; index < length; ++index)
    {
        Value element(function::get(function::array_get_idx(array, index)));
        size_t first = texts.size();
        if (!find_recursive(element, depth + 1, texts, dash)) continue;
        found = true;
        prefix(texts, first, dash ? std::string("/-") : "/" + std::to_string(index));
    }
    return found;
}
