#include "mime/fields/localpart.h"

#include "mime/fields/atom.h"
#include "mime/detail/headertext.h"
#include "mime/fields/quotedstring.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

LocalPart::LocalPart(const char* data, size_t size)
{
    if (size == 0) throw std::runtime_error("empty local part");
    while (true)
    {
        if (data[_consumed] == '"')
        {
            QuotedString quoted(data + _consumed, size - _consumed);
            if (quoted.text().empty()) break;
            _text += quoted.text();
            _consumed += quoted.consumed();
            if (quoted.nonAscii()) _nonAscii = true;
        }
        else
        {
            Atom atom(data + _consumed, size - _consumed, true);
            if (atom.consumed() == 0) throw std::runtime_error("invalid local part");
            _consumed += atom.consumed();
            String word = atom.text();
            if (atom.ascii())
                _text += detail::decodeDotAtom(word.data, word.size);
            else
            {
                _text.append(word.data, word.size);
                _nonAscii = true;
            }
        }
        if (_consumed == size || data[_consumed] != '.') break;
        _text.push_back('.');
        if (++_consumed == size) break;
    }
    if (_text.empty()) throw std::runtime_error("empty local part");
}

} // namespace Mime
} // namespace Kestrava
