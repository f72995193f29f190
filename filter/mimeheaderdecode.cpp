#include "filter/mimeheaderdecode.h"

#include "filter/mimeword.h"

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
    MimeWord word(data, size, final);
    size_t total = 0;
    if (_count > 0 && !(word.encoded() && _previousEncoded)) total += next->append(" ", 1, true);
    total += word.write(_charset, next);
    _previousEncoded = word.encoded();
    ++_count;
    return total;
}

} // namespace Filter
} // namespace Kestrava
