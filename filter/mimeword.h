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
 * are viewed, not copied: they must outlive the object. AdjacentWords
 * decodes encoded words to text.
 */
class MimeWord
{
public:
    MimeWord(const char* data, size_t size);

    /// Whether the word is an encoded word.
    bool encoded() const { return _encoding != 0; }

    /// The text of an encoded word with its "q" or "b" encoding undone:
    /// bytes in the word's charset.
    std::string bytes() const;

    /// Converts `bytes` of `charset` to `target`, appended to `text`; false
    /// where some byte did not convert. Throws std::runtime_error
    /// "Conversion not possible" for a charset iconv does not know.
    static bool convert(const std::string& bytes, const std::string& charset,
                        const std::string& target, std::string& text);

    const std::string& charset() const { return _charset; }

private:
    /// Decodes the text of a "q" word into `out`; an "=" without two hex
    /// digits after it, at the end of the word too, stays as it stands.
    size_t decodeQ(Result* out) const;

    std::string _charset;
    /// "q", "b", or 0 for a plain word.
    int _encoding = 0;
    const char* _text;
    size_t _size;
};

} // namespace Filter
} // namespace Kestrava
