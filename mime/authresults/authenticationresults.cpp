#include "mime/authresults/authenticationresults.h"

#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/authresults/authenticationtokens.h"
#include "mime/detail/wrapped.h"
#include "mime/dkim/dkimtags.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// Whether "; none" follows (RFC 8601 no-result); throws "missing ;".
bool noResult(const char* data, size_t size)
{
    size_t position = detail::cfws(data, size);
    if (position >= size || data[position] != ';') throw std::runtime_error("missing ;");
    ++position;
    position += detail::cfws(data + position, size - position);
    if (!detail::startsWithWord(data + position, size - position, "none")) return false;
    // "; nonexistent=pass" and "; none=pass" are results, not the word.
    position += 4;
    if (position < size && detail::isKeywordByte(data[position])) return false;
    position += detail::cfws(data + position, size - position);
    return position >= size || (data[position] != '=' && data[position] != '/');
}

} // namespace

AuthenticationResults::AuthenticationResults(const char* data, size_t size, bool strict)
{
    size_t position = detail::cfws(data, size);
    position += AuthenticationValue(authservId, data + position, size - position).size;
    position += detail::cfws(data + position, size - position);
    Digit digit(data + position, size - position);
    if (digit.size > 0)
    {
        if (digit.value > detail::maximumVersion) throw std::runtime_error("version is too large");
        version = static_cast<int>(digit.value);
        position += digit.size;
        position += detail::cfws(data + position, size - position);
    }
    if (noResult(data + position, size - position)) return;
    while (position < size)
    {
        try
        {
            AuthenticationResult result(data + position, size - position, strict);
            results.push_back(result);
            position += result.size;
            continue;
        }
        catch (const std::runtime_error&)
        {
            if (strict) throw std::runtime_error("error in authentication result");
        }
        size_t start = position;
        if (data[position] == ';') ++position;
        position += Mess(data + position, size - position, ";").size;
        // A NUL stops the skip where nothing more can be read.
        if (position == start || (position < size && data[position] == '\0')) break;
    }
    if (strict && results.empty())
        throw std::runtime_error(
            "no information about results was found, and '; none' was not included");
}

size_t AuthenticationResults::encode(const Capabilities& capabilities, Filter::Result* output,
                                     bool final) const
{
    // An identifier read from a quoted string may need its quotes again.
    size_t written = output->append(detail::bareOrQuoted(authservId));
    if (version != 1) written += output->append(" " + std::to_string(version));
    for (const AuthenticationResult& result : results)
        written += result.encode(capabilities, output, final);
    if (results.empty()) written += output->append("; none", 6, true);
    return written;
}

size_t AuthenticationResults::encode(const Capabilities& capabilities, Filter::LineLength* output,
                                     bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

size_t AuthenticationResults::encode(const Capabilities& capabilities, Filter::WordWrap* output,
                                     bool final) const
{
    return encode(capabilities, static_cast<Filter::Result*>(output), final);
}

} // namespace Mime
} // namespace Kestrava
