#pragma once

#include <memory>
#include <string>

namespace Kestrava {
namespace Dynamic {

class Handle;

/**
 * Looks a symbol up in a handle; null when the handle did not open or the
 * symbol is missing. When `reason` is given, a failure leaves the loader's
 * text there (the open failure for a handle that did not open).
 */
void* lookup(const std::shared_ptr<Handle>& handle, const char* name, std::string* reason);

} // namespace Dynamic
} // namespace Kestrava
