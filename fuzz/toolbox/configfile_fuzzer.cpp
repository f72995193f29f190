#include "toolbox/configfile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

using Kestrava::Toolbox::ConfigFile;

namespace {

/// An in-memory file, reached through its /proc path like any other file.
int memoryFile()
{
    static const int descriptor = memfd_create("configfile-fuzzer", MFD_CLOEXEC);
    return descriptor;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int descriptor = memoryFile();
    if (descriptor < 0 || ftruncate(descriptor, 0) != 0) __builtin_trap();
    if (size > 0 && pwrite(descriptor, data, size, 0) != static_cast<ssize_t>(size))
        __builtin_trap();

    ConfigFile config;
    if (!config.parse("/proc/self/fd/" + std::to_string(descriptor))) __builtin_trap();

    // What a line can never give: a key with a blank or a separator, a
    // value with trailing white space, NUL bytes in either.
    for (const auto& entry : config.values())
    {
        if (entry.first.find_first_of(std::string(" :=\0", 4)) != std::string::npos)
            __builtin_trap();
        if (entry.second.find('\0') != std::string::npos) __builtin_trap();
        if (!entry.second.empty() &&
            std::string(" \t\r\n").find(entry.second.back()) != std::string::npos)
            __builtin_trap();
    }
    return 0;
}
