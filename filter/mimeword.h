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
    /// an encoded word decoded and converted to `target`. A word whose bytes
    /// are not all valid in its charset is written as its bytes, and one in
    /// "unknown-8bit" always is. Throws std::runtime_error "Conversion not
    /// possible" for a charset iconv does not know.
    size_t write(const std::string& target, Result* out) const;

    const std::string& charset() const { return _charset; }
    /// "q", "b", or 0 for a plain word.
    int encoding() const { return _encoding; }
    const char* text() const { return _text; }
    size_t size() const { return _size; }
    bool final() const { return _final; }

private:
    /// Decodes the text of a "q" word into `out`; an "=" without two hex
    /// digits after it, at the end of the word too, stays as it stands.
    size_t decodeQ(Result* out) const;

    std::string _charset;
    int _encoding = 0;
    const char* _text;
    size_t _size;
    bool _final;
};

} // namespace Filter
} // namespace Kestrava
