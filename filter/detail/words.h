#pragma once

#include "filter/bufferuntil.h"
#include "filter/detail/set.h"
#include "filter/strip.h"

namespace Kestrava
{
namespace Filter
{
namespace detail
{

/**
 * The front of the header chains: hands `words` one word per call, also
 * when a word spans chunks. White space (and NUL) splits words and is
 * dropped; empty words vanish. The word held last goes on at flush() or
 * when the object goes.
 */
class Words : public Filter
{
public:
    explicit Words(Result* words)
        : Filter(&_bufferUntil), _strip(words, wordBreaks), _bufferUntil(&_strip, wordBreaks)
    {
    }

    const BufferUntil& bufferUntil() const { return _bufferUntil; }

private:
    Strip _strip;
    BufferUntil _bufferUntil;
};

} // namespace detail
} // namespace Filter
} // namespace Kestrava
