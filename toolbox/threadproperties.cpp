#include "toolbox/threadproperties.h"

#include "toolbox/setname.h"

namespace Kestrava {
namespace Toolbox {

bool ThreadProperties::setName(const char* name)
{
    // A thread that is not running has no handle: pthread_setname_np()
    // would dereference a null one.
    if (name == nullptr || !_thread->joinable()) return false;
    try
    {
        return setname(_thread->native_handle(), name) == 0;
    }
    catch (...)
    {
        // A C library without pthread_setname_np() just has no names.
        return false;
    }
}

} // namespace Toolbox
} // namespace Kestrava
