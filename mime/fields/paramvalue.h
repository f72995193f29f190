#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

class ParamKey;

/// The value of a parameter: a quoted string or a token, decoded into
/// UTF-8 when its key is extended and has no section number; a section of
/// a continued value stays raw until the sections are joined.
class ParamValue
{
public:
    /// A value of our own.
    explicit ParamValue(std::string text) : _text(std::move(text)) {}

    /// Parses the text after "="; strict refuses non-ASCII, control and
    /// special characters in a token, but for "=", which readers take in
    /// one (boundaries such as ‹----=_Part_1›). Throws std::runtime_error with the
    /// texts of the token checks, the quoted string and the decoding.
    ParamValue(const ParamKey& key, const char* data, size_t size, bool strict);
    virtual ~ParamValue() = default;

    const std::string& text() const { return _text; }
    void set(std::string text)
    {
        _text = std::move(text);
        _token = false;
    }
    size_t consumed() const { return _consumed; }
    /// Whether it was read as a token, not a quoted string: an empty one
    /// goes back bare, as it came.
    bool token() const { return _token; }

private:
    std::string _text;
    size_t _consumed = 0;
    bool _token = false;
};

} // namespace Mime
} // namespace Kestrava
