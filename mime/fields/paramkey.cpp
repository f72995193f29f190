#include "mime/fields/paramkey.h"

#include "mime/detail/ctype.h"
#include "mime/fields/whitespace.h"

#include <climits>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

bool isNameCharacter(char c)
{
    return detail::isAscii(c) && !detail::isControl(c) && !detail::isTspecial(c) && c != ' ';
}

} // namespace

ParamKey::ParamKey(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size && isNameCharacter(data[i]))
    {
        if (data[i] == '*' && i > 0 && suffix(data, size, i)) break;
        ++i;
    }
    if (!_sectioned && !_extended)
    {
        _nameLength = i;
        _consumed = i;
    }
    if (_nameLength == 0) throw std::runtime_error("invalid parameter key");
}

bool ParamKey::suffix(const char* data, size_t size, size_t star)
{
    size_t i = star + 1;
    unsigned number = 0;
    while (i < size && detail::isDigit(data[i]))
    {
        unsigned digit = data[i] - '0';
        // A number too large to hold is never reached by the numbering.
        number = number > (UINT_MAX - digit) / 10 ? UINT_MAX : number * 10 + digit;
        ++i;
    }
    bool digits = i > star + 1;
    bool extended = false;
    if (digits && i < size && data[i] == '*')
    {
        extended = true;
        ++i;
    }
    if (!digits && data[i - 1] != '*') return false;
    // Readers let blanks, folds and comments stand before the "=".
    size_t equals = i;
    try
    {
        equals += Whitespace(data + i, size - i, true).consumed();
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
    if (equals == size || data[equals] != '=') return false;
    _nameLength = star;
    _consumed = i;
    _sectioned = digits;
    _extended = extended || !digits;
    _section = digits ? number : 0;
    return true;
}

} // namespace Mime
} // namespace Kestrava
