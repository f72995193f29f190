#include "toolbox/setname.h"

#include "dynamic/function.h"
#include "dynamic/library.h"

namespace Kestrava {
namespace Toolbox {

namespace {

const Dynamic::Library& library()
{
    static const Dynamic::Library process;
    return process;
}

} // namespace

int setname(unsigned long thread, const char* name)
{
    // A static whose construction throws stays unconstructed, so a missing
    // symbol is looked up again next time.
    static const Dynamic::Function<int(unsigned long, const char*)> function(library(),
                                                                             "pthread_setname_np");
    return function(thread, name);
}

} // namespace Toolbox
} // namespace Kestrava
