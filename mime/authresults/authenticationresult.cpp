#include "mime/authresults/authenticationresult.h"

#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/authresults/authenticationtokens.h"
#include "mime/detail/wrapped.h"
#include "mime/dkim/dkimtags.h"
#include "mime/empty.h"

#include <strings.h>

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The text of a comment (RFC 5322 ccontent): parentheses and backslashes
/// escaped, line breaks, which would end the field, as blanks.
std::string commented(const std::string& text)
{
    std::string result;
    for (char c : text)
    {
        if (c == '(' || c == ')' || c == '\\') result += '\\';
        result += c == '\r' || c == '\n' ? ' ' : c;
    }
    return result;
}

} // namespace

AuthenticationResult::AuthenticationResult(const char* method, const char* result)
    : method(method), result(result)
{
}

AuthenticationResult::AuthenticationResult(const char* data, size_t size, bool strict)
{
    size_t position = detail::cfws(data, size);
    detail::expect(data, size, position, ';');
    ++position;
    position += detail::cfws(data + position, size - position);
    position += AuthenticationKeyword(method, data + position, size - position).size;
    position += detail::cfws(data + position, size - position);
    if (position < size && data[position] == '/')
    {
        ++position;
        position += detail::cfws(data + position, size - position);
        Digit digit(data + position, size - position);
        if (digit.size == 0)
            throw std::runtime_error("No method version number provided, while a '/' is present.");
        if (digit.value > detail::maximumVersion) throw std::runtime_error("version is too large");
        version = static_cast<int>(digit.value);
        position += digit.size;
        position += detail::cfws(data + position, size - position);
    }
    detail::expect(data, size, position, '=');
    ++position;
    position += detail::cfws(data + position, size - position);
    position += AuthenticationKeyword(result, data + position, size - position).size;
    position += detail::cfws(data + position, size - position);
    if (size - position >= 7 &&
        detail::startsWithWord(data + position, size - position, "reason") &&
        !detail::isKeywordByte(data[position + 6]) && data[position + 6] != '.')
    {
        // "reason" itself, not a property type that starts with it.
        position += 6;
        position += detail::cfws(data + position, size - position);
        detail::expect(data, size, position, '=');
        ++position;
        position += detail::cfws(data + position, size - position);
        size_t start = position;
        position += AuthenticationValue(reason, data + position, size - position).size;
        position += detail::cfws(data + position, size - position);
        if (position < size && data[position] == '=')
        {
            // "reason" was the start of a property after all.
            reason.clear();
            position = start;
        }
    }
    this->size = parseProperties(data, size, position, strict);
}

size_t AuthenticationResult::parseProperties(const char* data, size_t size, size_t position,
                                             bool strict)
{
    while (position < size)
    {
        position += detail::cfws(data + position, size - position);
        if (position >= size || data[position] == ';') break;
        try
        {
            AuthenticationProperty property(data + position, size - position);
            properties.push_back(property);
            position += property.size > 0 ? property.size : 1;
            continue;
        }
        catch (const std::runtime_error&)
        {
            // A bad property: refused when strict, skipped to the blank.
        }
        size_t bad = Mess(data + position, size - position, " ;").size;
        if (strict) throw std::runtime_error("malformed authentication result");
        if (bad == 0)
        {
            // A NUL or a byte no rule takes: the result ends, the loop does
            // not stand still.
            return position + (position < size && data[position] != ';' ? 1 : 0);
        }
        position += bad;
    }
    return position;
}

const std::string& AuthenticationResult::operator[](const char* name) const
{
    const char* dot = std::strchr(name, '.');
    if (dot == nullptr) return empty_string();
    std::string ptype(name, dot);
    std::string property(dot + 1);
    for (const AuthenticationProperty& candidate : properties)
        if (strcasecmp(candidate.ptype.c_str(), ptype.c_str()) == 0 &&
            strcasecmp(candidate.property.c_str(), property.c_str()) == 0 &&
            candidate.ptype.size() == ptype.size() && candidate.property.size() == property.size())
            return candidate.text;
    return empty_string();
}

size_t AuthenticationResult::encode(const Capabilities& capabilities, Filter::Result* output,
                                    bool final) const
{
    std::string head = "; " + method;
    if (version != 1) head += "/" + std::to_string(version);
    head += "=" + result;
    if (!comment.empty()) head += " (" + commented(comment) + ")";
    if (!reason.empty()) head += " reason=" + detail::bareOrQuoted(reason);
    size_t written = output->append(head);
    for (const AuthenticationProperty& property : properties)
    {
        if (property.kind == 0 || property.text.empty()) continue;
        written += output->append(" ", 1, true);
        written += property.encode(capabilities, output, final);
    }
    return written;
}

size_t AuthenticationResult::encode(const Capabilities& capabilities, Filter::LineLength* output,
                                    bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

size_t AuthenticationResult::encode(const Capabilities& capabilities, Filter::WordWrap* output,
                                    bool final) const
{
    return encode(capabilities, static_cast<Filter::Result*>(output), final);
}

} // namespace Mime
} // namespace Kestrava
