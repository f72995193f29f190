#include "mime/dkim/nakedsignature.h"

#include "mime/line.h"

#include <cctype>

namespace Kestrava
{
namespace Mime
{

// A scan of five states: 0 before a tag name, 1 in another name, 2 after a
// leading "b", 3 in another tag's value, 4 in the b= value (dropped).
NakedSignature::NakedSignature(const char* data, size_t size)
{
    int state = 0;
    text.reserve(size);
    for (size_t i = 0; i < size; ++i)
    {
        char c = data[i];
        switch (state)
        {
        case 0:
            if (c == 'b')
                state = 2;
            else if (c == '=')
                state = 3;
            else if (c != ';' && !isspace(static_cast<unsigned char>(c)))
                state = 1;
            break;
        case 1:
            if (c == '=') state = 3;
            if (c == ';') state = 0;
            break;
        case 2:
            if (c == '=')
            {
                text += c;
                state = 4;
                continue;
            }
            // Folding white space may follow the name (RFC 6376 3.2).
            if (!isspace(static_cast<unsigned char>(c))) state = c == ';' ? 0 : 1;
            break;
        case 3:
            if (c == ';') state = 0;
            break;
        default:
            if (c != ';') continue;
            state = 0;
        }
        text += c;
    }
}

NakedSignature::NakedSignature(const Line& line)
    : NakedSignature(line.data + line.key().valueStart, line.size - line.key().valueStart)
{
    text.insert(0, line.data, line.key().valueStart);
}

} // namespace Mime
} // namespace Kestrava
