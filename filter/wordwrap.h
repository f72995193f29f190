#pragma once

#include "filter/detail/words.h"
#include "filter/linelength.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Folds text at white space: words are separated by one blank, and a word
 * that would pass the preferred line length goes on a new line after the
 * fold "\r\n ". A word longer than the preferred length stands whole on a
 * line of its own. Runs of white space in the input become one blank.
 */
class WordWrap : public LineLength
{
public:
    /// Writes the words of one chunk at a time, keeping the line position.
    class Encoder : public Filter
    {
    public:
        /// Starts at `position` on a line, as if no word were on it yet.
        Encoder(Result* next, const BufferSize& limit, const BufferSize& position)
            : Filter(next), _limit(limit), _position(position)
        {
        }

        using Filter::process;

        /// Writes one word.
        size_t process(const char* data, size_t size, bool final) override;

        const BufferSize& limit() const { return _limit; }
        const BufferSize& position() const { return _position; }

    private:
        BufferSize _limit;
        BufferSize _position;
        bool _atLineStart = true;
    };

    /// Continues the line of `output` (its size()) and folds at the
    /// preferred length of `limit`.
    WordWrap(LineLength* output, const BufferSize& limit);

    /// The size the line will have once the word held now is written.
    BufferSize size() const override;

private:
    Encoder _encoder;
    detail::Words _words;
};

} // namespace Filter
} // namespace Kestrava
