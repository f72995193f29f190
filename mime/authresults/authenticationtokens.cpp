#include "mime/authresults/authenticationtokens.h"

#include "mime/detail/headertext.h"
#include "mime/fields/comment.h"
#include "mime/detail/ctype.h"
#include "mime/fields/formatting.h"
#include "mime/fields/quotedstring.h"
#include "mime/fields/whitespace.h"

#include <strings.h>

#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

AuthenticationKeyword::AuthenticationKeyword(std::string& output, const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && detail::isKeywordByte(data[i]))
        ++i;
    if (i == 0) throw std::runtime_error("Keyword may not be empty");
    if (data[i - 1] == '-') throw std::runtime_error("Keyword may not end in '-'");
    output.assign(data, i);
    this->size = i;
}

AuthenticationValue::AuthenticationValue(std::string& output, const char* data, size_t size)
{
    if (size > 0 && data[0] == '"')
    {
        QuotedString quoted(data, size);
        output = quoted.text();
        this->size = quoted.consumed();
        return;
    }
    size_t i = 0;
    while (i < size)
    {
        unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\0' || c == ' ' || c == 0x7f || (c < 0x20) ||
            std::strchr("()<>[]:;@\\\"/?=", c) != nullptr)
            break;
        ++i;
    }
    if (i == 0) throw std::runtime_error("Value requires at least one valid character");
    output.assign(data, i);
    this->size = i;
}

Mess::Mess(const char* data, size_t size, const char* stops)
{
    size_t i = 0;
    while (i < size && data[i] != '\0' && std::strchr(stops, data[i]) == nullptr)
    {
        size_t step = 1;
        try
        {
            if (data[i] == '(')
                step = Comment(data + i, size - i).consumed();
            else if (data[i] == '"')
                step = QuotedString(data + i, size - i).consumed();
        }
        catch (const std::runtime_error&)
        {
            // An unreadable quoted string or comment ends the skip.
            break;
        }
        i += step > 0 ? step : 1;
    }
    this->size = i;
}

namespace detail
{

void expect(const char* data, size_t size, size_t position, char wanted)
{
    if (position >= size || data[position] != wanted)
        throw std::runtime_error(std::string("missing ") + wanted);
}

bool isKeywordByte(char c)
{
    return isAlnum(c) || c == '-';
}

size_t cfws(const char* data, size_t size)
{
    return Whitespace(data, size, true).consumed();
}

bool startsWithWord(const char* data, size_t size, const char* word)
{
    size_t length = std::strlen(word);
    return size >= length && strncasecmp(data, word, length) == 0;
}

std::string bareOrQuoted(const std::string& text)
{
    if (!text.empty() && Formatting(text.data(), text.size()).param()) return text;
    return quoted(text);
}

std::string localPartText(const std::string& text)
{
    return readsBackAsDotAtom(text) ? text : quoted(text);
}

std::string quoted(const std::string& text)
{
    std::string quoted = "\"";
    char previous = '\0';
    for (char c : text)
    {
        // Controls too, so that a tab or a NUL reads back as itself; and a
        // blank after a line break, which a reader would take for a fold
        // that the backslash before the break escapes.
        unsigned char byte = static_cast<unsigned char>(c);
        bool folds = c == ' ' && (previous == '\r' || previous == '\n');
        if (c == '"' || c == '\\' || byte < 0x20 || byte == 0x7f || folds) quoted += '\\';
        quoted += c;
        previous = c;
    }
    return quoted + "\"";
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
