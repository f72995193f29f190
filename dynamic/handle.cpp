#include "dynamic/handle.h"

#include <dlfcn.h>

namespace Kestrava {
namespace Dynamic {

int openMode()
{
#ifdef KESTRAVA_SANITIZE
    // AddressSanitizer aborts on RTLD_DEEPBIND; the sanitizer build does
    // without it (symbol interposition does not change what is tested).
    return RTLD_NOW;
#else
    // Our own copy of a library resolves its symbols against itself first.
    return RTLD_NOW | RTLD_DEEPBIND;
#endif
}

Handle::Handle() { open(nullptr); }

Handle::Handle(const char* name) : _named(true), _name(name) { open(name); }

void Handle::open(const char* name)
{
    _pointer = dlopen(name, openMode());
    if (_pointer != nullptr) return;

    // dlerror() is consumed by the next dl call on this thread, so the
    // reason is kept for the entry points that will fail because of it.
    const char* reason = dlerror();
    _error = reason != nullptr ? reason : "";
}

Handle::~Handle()
{
    if (_pointer != nullptr) dlclose(_pointer);
}

} // namespace Dynamic
} // namespace Kestrava
