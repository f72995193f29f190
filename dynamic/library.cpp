#include "dynamic/library.h"

namespace Kestrava {
namespace Dynamic {

Library::Library() : _handle(std::make_shared<Handle>()) {}

Library::Library(const char* const* names) { open(names); }

void Library::open(const char* const* names)
{
    for (auto name = names; *name != nullptr; ++name)
    {
        _handle = std::make_shared<Handle>(*name);
        if (_handle->pointer() != nullptr) return;
    }
}

} // namespace Dynamic
} // namespace Kestrava
