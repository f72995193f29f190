#include "app/wildcardpointer.h"

#include "app/settings.h"
#include "json/copier.h"
#include "json/pointer.h"

#include <stdexcept>

using Kestrava::JSON::Pointer;

WildcardPointer::WildcardPointer(const char* text, size_t size)
{
    const Pointer pointer(text, size);
    // RFC 6901 has no other escape; read as written, "~2" would name a
    // member that was never meant, and the one meant would reach the
    // endpoint.
    for (size_t at = 0; at < size; ++at)
        if (text[at] == '~' && (at + 1 == size || (text[at + 1] != '0' && text[at + 1] != '1')))
            throw std::runtime_error("Invalid JSON pointer " + quoted(std::string(text, size)) +
                                     ": \"~\" must be followed by \"0\" or \"1\"");
    for (const Pointer::Part& part : pointer.parts())
        _steps.push_back(
            {Kestrava::JSON::Copier::escaped(part.token()), part.index(), part.token() == "*"});
    _removes = !pointer.parts().empty() && !pointer.parts().back().isEnd();
}
