#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Filter
{

class Result;

/**
 * One word of header text as found: an RFC 2047 encoded word
 * ("=?charset?q?text?=" or "...?b?...") or a plain word. The word's bytes
 * are viewed, not copied: they must outlive the object.
 */
class MimeWord
{
public:
    MimeWord(const char* data, size_t size, bool final);

    /// Whether the word is an encoded word.
    bool encoded() const { return _encoding != 0; }

    /// Writes the word to `out`: a plain word as it is (with its `final`),
    /// an encoded word decoded as AdjacentWords decodes a word alone: text
    /// converted to `target`, or as written where it does not decode.
    /// Throws std::runtime_error "Conversion not possible" for a charset
    /// iconv does not know.
    size_t write(const std::string& target, Result* out) const;

    /// The text of an encoded word with its "q" or "b" encoding undone:
    /// bytes in the word's charset.
    std::string bytes() const;

    /// Converts `bytes` of `charset` to `target`, appended to `text`; false
    /// where some byte did not convert. Throws std::runtime_error
    /// "Conversion not possible" for a charset iconv does not know.
    static bool convert(const std::string& bytes, const std::string& charset,
                        const std::string& target, std::string& text);

    const std::string& charset() const { return _charset; }
    /// "q", "b", or 0 for a plain word.
    int encoding() const { return _encoding; }
    const char* text() const { return _text; }
    size_t size() const { return _size; }
    bool final() const { return _final; }
    /// The whole word as written.
    const char* data() const { return _data; }
    size_t wordSize() const { return _wordSize; }

private:
    /// Decodes the text of a "q" word into `out`; an "=" without two hex
    /// digits after it, at the end of the word too, stays as it stands.
    size_t decodeQ(Result* out) const;

    std::string _charset;
    int _encoding = 0;
    const char* _text;
    size_t _size;
    bool _final;
    const char* _data;
    size_t _wordSize;
};

} // namespace Filter
} // namespace Kestrava
