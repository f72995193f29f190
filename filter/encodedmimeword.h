#pragma once

#include "filter/mimeheaderencoding.h"

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * One RFC 2047 encoded word ("=?utf-8?q?...?=") made from the head of a
 * UTF-8 text: as many bytes as fit into the given room, never part of a
 * character. Bytes that are not UTF-8 are labelled "unknown-8bit" instead
 * (RFC 1428), so that a reader gets them back rather than a replacement.
 */
class EncodedMimeWord
{
public:
    /// Encodes from `data` what fits into `space` characters. Throws
    /// std::runtime_error "available space is too small for one word" when
    /// `space` is below 13 ("utf-8"; 20 for "unknown-8bit") or not even the
    /// first character fits. The label is that of the whole text
    /// (charsetOf).
    EncodedMimeWord(const char* data, size_t size, size_t space, MimeHeaderEncoding encoding);
    /// The same with the label given: a text written as several words
    /// keeps one label in all of them.
    EncodedMimeWord(const char* data, size_t size, size_t space, MimeHeaderEncoding encoding,
                    const char* charset);
    virtual ~EncodedMimeWord() = default;

    /// "utf-8" for well-formed UTF-8, else "unknown-8bit".
    static const char* charsetOf(const char* data, size_t size);

    /// The finished encoded word.
    const std::string& text() const { return _text; }
    /// The size of the text it was made from.
    size_t inputSize() const { return _inputSize; }
    /// The bytes of that text it covers.
    size_t consumed() const { return _consumed; }

private:
    std::string _text;
    size_t _inputSize;
    size_t _consumed = 0;
};

} // namespace Filter
} // namespace Kestrava
