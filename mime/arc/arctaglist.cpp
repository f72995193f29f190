#include "mime/arc/arctaglist.h"

#include "mime/detail/ctype.h"
#include "mime/dkim/dkimtags.h"
#include "mime/fields/whitespace.h"

#include <strings.h>

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

namespace
{

const char* const invalidInstance = "arc header contains invalid instance identifier";

size_t fws(const char* data, size_t size)
{
    return Whitespace(data, size, false).consumed();
}

/// The value without folding white space at either end.
std::string trimmed(const char* data, size_t size)
{
    size_t start = 0;
    while (start < size && isspace(static_cast<unsigned char>(data[start])))
        ++start;
    while (size > start && isspace(static_cast<unsigned char>(data[size - 1])))
        --size;
    return std::string(data + start, size - start);
}

std::string digits(const std::string& value, const char* error)
{
    // A bounded run never overflows; the range check is the caller's.
    if (value.empty() || value.size() > 12) throw std::runtime_error(error);
    for (char c : value)
        if (!isDigit(c)) throw std::runtime_error(error);
    return value;
}

std::string headerNames(const std::string& value, DkimHeaderFields& headers)
{
    std::string joined;
    size_t start = 0;
    while (start <= value.size())
    {
        size_t end = value.find(':', start);
        if (end == std::string::npos) end = value.size();
        std::string name = trimmed(value.data() + start, end - start);
        if (!name.empty()) joined += (joined.empty() ? "" : ":") + name;
        start = end + 1;
    }
    if (joined.empty())
    {
        headers = DkimHeaderFields();
        return joined;
    }
    headers = DkimHeaderFields(joined.data(), joined.size());
    if (headers.size != joined.size()) throw std::runtime_error("invalid header field name");
    return joined;
}

/// A domain of ASCII labels or UTF-8 ones, looked up in its ASCII form.
std::string domainName(const std::string& value)
{
    bool dot = false;
    for (char c : value)
    {
        dot = dot || c == '.';
        if (!isAlnum(c) && c != '-' && c != '.' && static_cast<unsigned char>(c) < 0x80)
            throw std::runtime_error("invalid domain part");
    }
    if (!dot || value.front() == '.' || value.back() == '.')
        throw std::runtime_error("invalid domain part");
    return value;
}

/// Checks one value by the grammar of its tag; returns what is stored.
std::string checked(const std::string& name, const std::string& value, DkimHeaderFields& headers)
{
    if (name == "i")
    {
        // A sign is read, so that i=-1 is refused by its range.
        bool sign = !value.empty() && value[0] == '-';
        return (sign ? "-" : "") + digits(value.substr(sign), invalidInstance);
    }
    if (name == "t") return digits(value, "timestamp is invalid");
    if (name == "x") return digits(value, "expiration is invalid");
    if (name == "h") return headerNames(value, headers);
    if (name == "d") return domainName(value);
    static const char* const grammars[] = {"a", "b", "bh", "c", "s"};
    for (const char* known : grammars)
    {
        if (name != known) continue;
        std::string output;
        DkimTagValue parsed(name, output, value.data(), value.size(), true);
        if (parsed.size != value.size()) throw std::runtime_error("invalid value of " + name);
        return output;
    }
    // Tags this system does not know are ignored, whatever they hold.
    return value;
}

} // namespace

void readArcTags(const char* data, size_t size, bool strict, std::vector<std::string>& order,
                 std::map<std::string, std::string>& tags, DkimHeaderFields& headers)
{
    size_t position = 0;
    while (position < size)
    {
        size_t end = position;
        while (end < size && data[end] != ';')
            ++end;
        size_t start = position + fws(data + position, end - position);
        position = end + 1;
        try
        {
            // Only the list's last ";" may have nothing after it (RFC 6376 3.2).
            if (start >= end)
            {
                if (end >= size) break;
                throw std::runtime_error("invalid tag list");
            }
            std::string name;
            size_t length = DkimTagName(name, data + start, end - start).size;
            if (length == 0) throw std::runtime_error("invalid tag name");
            size_t equals = start + length;
            equals += fws(data + equals, end - equals);
            if (equals >= end || data[equals] != '=') throw std::runtime_error("missing =");
            if (tags.count(name) > 0) throw std::runtime_error("duplicate tag " + name);
            std::string value = trimmed(data + equals + 1, end - equals - 1);
            tags[name] = checked(name, value, headers);
            order.push_back(name);
        }
        catch (const std::runtime_error&)
        {
            if (strict) throw;
        }
    }
}

int arcInstance(const std::map<std::string, std::string>& tags)
{
    auto found = tags.find("i");
    if (found == tags.end()) throw std::runtime_error(invalidInstance);
    return arcInstance(found->second);
}

int arcInstance(const std::string& word)
{
    size_t sign = !word.empty() && (word[0] == '-' || word[0] == '+') ? 1 : 0;
    long long value = std::stoll(digits(word.substr(sign), invalidInstance));
    if (word[0] == '-') value = -value;
    return value > 1000000 ? 1000000 : static_cast<int>(value);
}

const char* arcDigest(const std::string& algorithm)
{
    if (algorithm.empty()) throw std::runtime_error("digest algorithm not set");
    if (strcasecmp(algorithm.c_str(), "rsa-sha256") != 0)
        throw std::runtime_error("unsupported digest algorithm");
    return "sha256";
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
