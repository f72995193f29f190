#include "app/wildcardpointer.h"

#include "json/copier.h"
#include "json/pointer.h"

using Kestrava::JSON::Pointer;

WildcardPointer::WildcardPointer(const char* text, size_t size)
{
    const Pointer pointer(text, size);
    for (const Pointer::Part& part : pointer.parts())
        _steps.push_back(
            {Kestrava::JSON::Copier::escaped(part.token()), part.index(), part.token() == "*"});
    _removes = !pointer.parts().empty() && !pointer.parts().back().isEnd();
}
