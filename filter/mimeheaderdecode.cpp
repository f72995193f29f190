#include "filter/mimeheaderdecode.h"

#include "filter/gluedwords.h"

namespace Kestrava
{
namespace Filter
{

MimeHeaderDecode::MimeHeaderDecode(const std::string& charset, Result* next)
    : Filter(&_words), _decoder(charset, next), _words(&_decoder)
{
}

size_t MimeHeaderDecode::Decoder::process(const char* data, size_t size, bool final)
{
    size_t total = 0;
    bool first = true;
    GluedWords word(data, size, true);
    for (const GluedWords::Piece& piece : word.pieces())
    {
        // White space before the word's first piece is one blank, but for
        // two encoded words.
        bool blank = first && _count > 0 && !(piece.encoded && _previousEncoded);
        if (!piece.encoded) total += _words.write(next);
        if (blank) total += next->append(" ", 1, true);
        if (piece.encoded)
            _words.add(piece.data, piece.size);
        else
            total += next->append(piece.data, piece.size, final);
        _previousEncoded = piece.encoded;
        first = false;
    }
    ++_count;
    return total;
}

size_t MimeHeaderDecode::Decoder::flush()
{
    size_t total = _words.write(next);
    return total + next->flush();
}

} // namespace Filter
} // namespace Kestrava
