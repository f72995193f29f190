#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Mime
{

/// Which unquoted forms a text can be written in: each flag is cleared by
/// the characters that the form forbids.
class Formatting
{
public:
    enum Flag : unsigned
    {
        asciiFlag = 1,
        atomFlag = 2,
        phraseFlag = 4,
        paramFlag = 8,
        dottedAtomFlag = 16,
        allFlags = 31,
    };

    Formatting(const char* data, size_t size);
    virtual ~Formatting() = default;

    /// Clears the flags that the character forbids.
    void process(char c);

    /// Keeps only the flags set in the mask.
    void add(unsigned mask) { _flags &= mask; }

    /// Every byte is ASCII.
    bool ascii() const { return _flags & asciiFlag; }
    /// One RFC 5322 atom.
    bool atom() const { return _flags & atomFlag; }
    /// Atoms separated by blanks.
    bool phrase() const { return _flags & phraseFlag; }
    /// A bare MIME parameter value.
    bool param() const { return _flags & paramFlag; }
    /// An RFC 5322 dot-atom.
    bool dottedatom() const { return _flags & dottedAtomFlag; }

private:
    unsigned _flags = allFlags;
};

} // namespace Mime
} // namespace Kestrava
