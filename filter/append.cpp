#include "filter/append.h"

#include <cstring>

namespace Kestrava
{
namespace Filter
{

Append::Append(Result* next, const char* text)
    : Filter(next), _text(text), _length(std::strlen(text))
{
}

Append::~Append()
{
    try
    {
        next->append(_text, _length, true);
    }
    catch (...)
    {
        // A destructor must not throw.
    }
}

} // namespace Filter
} // namespace Kestrava
