#pragma once

#include "filter/filter.h"

#include <vector>

namespace Kestrava
{
namespace Filter
{

/**
 * Replaces every occurrence of a text, also across chunks. After a
 * mismatch the search goes on from the longest tail of the bytes seen that
 * begins the text (as Knuth-Morris-Pratt does), so "ab" is found in "aab".
 * The bytes of a match begun at the end of a chunk are held; the
 * destructor writes them.
 */
class Replace : public Filter
{
public:
    /// Both texts are NUL-terminated, not owned, and must outlive the chain.
    /// An empty `search` finds nothing.
    Replace(Result* next, const char* search, const char* replacement);
    ~Replace() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    const char* _search;
    size_t _length;
    const char* _replacement;
    /// For each length k of a partial match, the length of the longest
    /// proper tail of search[0, k) that is also its head.
    std::vector<size_t> _fallback;
    size_t _matched = 0;
};

} // namespace Filter
} // namespace Kestrava
