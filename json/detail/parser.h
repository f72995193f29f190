#pragma once

#include <string>
#include <string_view>

struct fjson_object;

namespace Kestrava {
namespace JSON {
namespace detail {

/**
 * A strict RFC 8259 parser that builds libfastjson values.
 *
 * Only JSON is accepted: no comments, trailing commas, single quotes,
 * leading zeros, NaN or Infinity, raw control characters or invalid UTF-8
 * in strings, and nothing but white space around the one value. A leading
 * UTF-8 byte order mark is skipped, as RFC 8259 allows.
 *
 * Nothing of the text is lost on the way back out:
 * - an integer beyond 64 bits, like every number with a fraction or an
 *   exponent, becomes a double that keeps its text;
 * - a string keeps its U+0000 characters; in a member name, which
 *   libfastjson keeps as a C string, each is held as the two bytes C0 80
 *   (never valid UTF-8, so no text can mean them otherwise);
 * - a lone surrogate escape (\ud800) is held as its three-byte form
 *   (ED A0 80), which is never valid UTF-8 either.
 * The serializer writes all of these back as they were written.
 */
class Parser
{
public:
    /// Parses the whole text. True when it is one JSON value, which is then
    /// in result (a new reference; null for JSON null).
    bool parse(std::string_view text, fjson_object*& result);

private:
    bool value(fjson_object*& result, int depth);
    bool object(fjson_object*& result, int depth);
    bool array(fjson_object*& result, int depth);
    /// Reads the comma-separated items of a container made for them up to
    /// its closing character, each with readOne(container).
    template <typename ReadOne>
    bool container(fjson_object* made, char close, fjson_object*& result, ReadOne readOne);
    bool number(fjson_object*& result);
    bool literal(std::string_view word);

    /// Reads a string from its opening quote; text is its content, valid
    /// until the next string or number. A name keeps U+0000 as C0 80.
    bool string(bool name, std::string_view& text);
    bool escape(bool name);

    void skipBlanks();

    const char* _position = nullptr;
    const char* _end = nullptr;

    /// The decoded text of the string or number at hand, reused.
    std::string _text;
};

} // namespace detail
} // namespace JSON
} // namespace Kestrava
