#pragma once

#include <exception>

namespace Kestrava {
namespace Logging {

/// Tells standard error why work on a writer thread failed: a log has no
/// one else to tell, and its thread must go on.
void reportFailure(std::exception_ptr error);

} // namespace Logging
} // namespace Kestrava
