#pragma once

namespace Kestrava {
namespace Toolbox {

/**
 * Names a thread by its native handle through pthread_setname_np(), which
 * is looked up in the running process on first use so that a C library
 * without it is tolerated. Returns pthread_setname_np()'s result (0 on
 * success); throws std::runtime_error when the function does not exist,
 * and tries the lookup again on the next call.
 */
int setname(unsigned long thread, const char* name);

} // namespace Toolbox
} // namespace Kestrava
