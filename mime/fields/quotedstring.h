#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// One quoted string at the start of a text, unquoted and unfolded: CR and
/// LF are dropped, other white space becomes a blank, escapes are resolved.
/// Nothing when the text does not start with a double quote.
class QuotedString
{
public:
    /// Throws std::runtime_error "unfinished quoted string" or "invalid
    /// quoted string (escaped character missing after backslash)".
    QuotedString(const char* data, size_t size);
    virtual ~QuotedString() = default;

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    /// Whether some byte, escaped or not, is not ASCII.
    bool nonAscii() const { return _nonAscii; }

private:
    std::string _text;
    size_t _consumed = 0;
    bool _nonAscii = false;
};

} // namespace Mime
} // namespace Kestrava
