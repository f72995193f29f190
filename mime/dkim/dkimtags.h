#pragma once

// The tokens of a DKIM tag list (RFC 6376 3.2 and the tag grammars of 3.5).
// Each reads one token at the start of a (pointer, length) text, records in
// `size` the bytes it consumed and writes what it recognised into the
// caller's output. Rejections are std::runtime_error with a fixed text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{

/// A tag name (RFC 6376 3.2): a letter, then letters, digits and "_".
/// Every such name is one: tags a reader does not know are ignored, not
/// refused, so that a signer may add its own.
class DkimTagName
{
public:
    DkimTagName(std::string& output, const char* data, size_t size);
    virtual ~DkimTagName() = default;
    size_t size = 0;
};

/// A tag value, by the grammar of its name when strict.
class DkimTagValue
{
public:
    DkimTagValue(const std::string& name, std::string& output, const char* data, size_t size,
                 bool strict);
    virtual ~DkimTagValue() = default;

    void parseVersion(std::string& output, const char* data, size_t size);
    void parseAlgorithm(std::string& output, const char* data, size_t size);
    void parseSignatureData(std::string& output, const char* data, size_t size);
    void parseHash(std::string& output, const char* data, size_t size);
    void parseCanonicalization(std::string& output, const char* data, size_t size);
    void parseSDID(std::string& output, const char* data, size_t size);
    void parseAUID(std::string& output, const char* data, size_t size);
    void parseLengthCount(std::string& output, const char* data, size_t size);
    void parseQueryMethods(std::string& output, const char* data, size_t size);
    void parseSelector(std::string& output, const char* data, size_t size);
    void parseTimestamp(std::string& output, const char* data, size_t size);
    void parseExpiration(std::string& output, const char* data, size_t size);
    void parseGeneric(std::string& output, const char* data, size_t size);

    size_t size = 0;

private:
    /// A run of at most `digits` digits as a decimal; empty for none.
    void parseNumber(std::string& output, const char* data, size_t size, size_t digits,
                     const char* tooLong);
};

/// Base64 text with embedded folding white space, kept raw.
class DkimBase64String
{
public:
    DkimBase64String(std::string& output, const char* data, size_t size);
    virtual ~DkimBase64String() = default;
    size_t size = 0;
};

/// A word of letters, digits and inner hyphens.
class DkimHypenatedWord
{
public:
    DkimHypenatedWord(std::string& output, const char* data, size_t size);
    virtual ~DkimHypenatedWord() = default;
    size_t size = 0;
};

/// One query method, its arguments decoded from DKIM quoted-printable.
class DkimTagMethod
{
public:
    DkimTagMethod(std::string& output, const char* data, size_t size);
    virtual ~DkimTagMethod() = default;
    size_t size = 0;
};

/// A header field name.
class DkimFieldname
{
public:
    DkimFieldname(std::string& output, const char* data, size_t size);
    virtual ~DkimFieldname() = default;
    size_t size = 0;
};

/// One copied header field of z=: name, ":" and the decoded value.
class DkimCopiedHeaderField
{
public:
    DkimCopiedHeaderField(std::string& output, const char* data, size_t size);
    virtual ~DkimCopiedHeaderField() = default;
    size_t size = 0;
};

/// The z= list, appended to the output.
class DkimCopiedHeaderFields
{
public:
    DkimCopiedHeaderFields(std::vector<std::string>& output, const char* data, size_t size);
    virtual ~DkimCopiedHeaderFields() = default;
    size_t size = 0;
};

/// The escapes of DKIM quoted-printable (RFC 6376 2.11).
class DkimQuotedCharacter
{
public:
    virtual ~DkimQuotedCharacter() = default;
    /// Decodes up to "|" or a byte the grammar does not allow; returns the
    /// bytes consumed.
    static size_t decode(std::string& output, const char* data, size_t size);
    /// Writes the text with every byte that may not stand raw as =XX.
    static std::string encode(const std::string& text);
};

/// A run of decimal digits; 64 bits wide, larger runs throw
/// std::runtime_error "number is too long".
class Digit
{
public:
    Digit(const char* data, size_t size);
    virtual ~Digit() = default;
    uint64_t value = 0;
    size_t size = 0;
};

/// A domain of at least two labels.
class AuthenticationDomainPart
{
public:
    AuthenticationDomainPart(const char* data, size_t size);
    virtual ~AuthenticationDomainPart() = default;
    /// The bytes of the domain at the start of the text; 0, and no
    /// exception, where there is none.
    static size_t length(const char* data, size_t size);
    std::string domain;
    size_t size = 0;
};

} // namespace Mime
} // namespace Kestrava
