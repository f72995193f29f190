#include "dynamic/lookup.h"

#include "dynamic/handle.h"

#include <dlfcn.h>

namespace Kestrava {
namespace Dynamic {

void* lookup(const std::shared_ptr<Handle>& handle, const char* name, std::string* reason)
{
    if (handle == nullptr || handle->pointer() == nullptr)
    {
        if (reason != nullptr && handle != nullptr) *reason = handle->error();
        return nullptr;
    }

    // Clear a stale error so that the text read below is this lookup's own.
    dlerror();
    void* symbol = dlsym(handle->pointer(), name);
    if (symbol == nullptr && reason != nullptr)
    {
        const char* text = dlerror();
        *reason = text != nullptr ? text : "";
    }
    return symbol;
}

} // namespace Dynamic
} // namespace Kestrava
