#pragma once

// The tokens of an Authentication-Results value (RFC 8601 2.2). Each reads
// one token at the start of a (pointer, length) text and records in `size`
// the bytes it consumed; rejections are std::runtime_error.

#include <cstddef>
#include <cstdint>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// Letters, digits and "-", not ending in "-".
class AuthenticationKeyword
{
public:
    AuthenticationKeyword(std::string& output, const char* data, size_t size);
    virtual ~AuthenticationKeyword() = default;
    size_t size = 0;
};

/// A quoted string (its content kept) or a token (RFC 2045 value).
class AuthenticationValue
{
public:
    AuthenticationValue(std::string& output, const char* data, size_t size);
    virtual ~AuthenticationValue() = default;
    size_t size = 0;
};

/// Bytes skipped up to one of `stops` or a NUL, passing over comments and
/// quoted strings whole.
class Mess
{
public:
    Mess(const char* data, size_t size, const char* stops);
    virtual ~Mess() = default;
    size_t size = 0;
};

namespace detail
{
/// The largest version number read: far above any in use, within an int.
constexpr uint64_t maximumVersion = 1000000;
/// Throws std::runtime_error "missing " and the byte unless it stands at
/// the position.
void expect(const char* data, size_t size, size_t position, char wanted);
/// A byte of a keyword: a letter, a digit or "-".
bool isKeywordByte(char c);
/// What CFWS takes at the start of the text.
size_t cfws(const char* data, size_t size);
/// Whether the text starts with the word, ignoring ASCII case.
bool startsWithWord(const char* data, size_t size, const char* word);
/// The text bare when it may stand as a parameter value, otherwise
/// quoted().
std::string bareOrQuoted(const std::string& text);
/// A local part bare where it reads back as itself, as a dot-atom,
/// otherwise quoted().
std::string localPartText(const std::string& text);
/// The text between double quotes with every double quote, backslash and
/// control byte escaped, and a blank after a line break.
std::string quoted(const std::string& text);
} // namespace detail

} // namespace Mime
} // namespace Kestrava
