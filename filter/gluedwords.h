#pragma once

#include <cstddef>
#include <vector>

namespace Kestrava
{
namespace Filter
{

/**
 * The RFC 2047 encoded words in one word of header text (a run without
 * white space) and the plain text around them. Mailers glue words to each
 * other ("=?utf-8?q?J=C3=BC?==?utf-8?q?rgen?="); readers find each where
 * the one before it ends: "=?", a charset, "?", "q" or "b", "?" and a text
 * without "?" up to the first "?=". Where an "=?" starts no such word, the
 * rest is plain text, as readers take it. The bytes are viewed, not copied.
 */
class GluedWords
{
public:
    struct Piece
    {
        const char* data;
        size_t size;
        bool encoded;
    };

    /// `afterText`: a word glued to text before it counts too, as readers
    /// take it in unstructured text; in a phrase only one that starts the
    /// run or follows another word does.
    GluedWords(const char* data, size_t size, bool afterText);

    const std::vector<Piece>& pieces() const { return _pieces; }

    /// Where the encoded word that starts at `start` ends, or 0 where none
    /// does; white space in it makes it none.
    static size_t wordEnd(const char* data, size_t size, size_t start);

private:
    void add(const char* data, size_t size, bool encoded);

    std::vector<Piece> _pieces;
};

} // namespace Filter
} // namespace Kestrava
