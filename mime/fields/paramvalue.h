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
/// a continued value stays raw until the sections are joined. A quoted
/// value (or section) that is not extended has its RFC 2047 encoded words
/// decoded, as mail readers read them there; it keeps its raw text, in
/// which it is written back where that reads the same.
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
    /// The text as it came, its encoded words undecoded; text() for a value
    /// without them.
    const std::string& raw() const { return _words ? _raw : _text; }
    /// Whether encoded words were decoded in it.
    bool words() const { return _words; }
    void set(std::string text)
    {
        _text = std::move(text);
        _raw.clear();
        _words = false;
        _token = false;
    }
    /// Puts another value (a section, or text read after the value) after
    /// this one, in the text and in the raw text.
    void append(const ParamValue& other);
    size_t consumed() const { return _consumed; }
    /// Whether it was read as a token, not a quoted string: an empty one
    /// goes back bare, as it came.
    bool token() const { return _token; }

private:
    std::string _text;
    std::string _raw;
    bool _words = false;
    size_t _consumed = 0;
    bool _token = false;
};

} // namespace Mime
} // namespace Kestrava
