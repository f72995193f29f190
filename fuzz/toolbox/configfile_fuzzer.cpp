#include "toolbox/configfile.h"

#include <regex.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

using Kestrava::Toolbox::ConfigFile;

namespace {

/// An in-memory file, reached through its /proc path like any other file.
int memoryFile()
{
    static const int descriptor = memfd_create("configfile-fuzzer", MFD_CLOEXEC);
    return descriptor;
}

/// What the file must read as: every line searched whole by the expression.
std::map<std::string, std::string> expected(const std::string& content)
{
    static regex_t expression;
    static const bool compiled =
        regcomp(&expression, "\\s*([^ :=]*)\\s*[:=]\\s*(.*)\\s*", REG_EXTENDED | REG_ICASE) == 0;
    if (!compiled) __builtin_trap();

    std::map<std::string, std::string> values;
    size_t start = 0;
    while (start < content.size())
    {
        size_t end = content.find('\n', start);
        end = end == std::string::npos ? content.size() : end + 1;
        std::string line = content.substr(start, end - start);
        start = end;

        if (line[0] == '#' || line[0] == ';' || line.find('\0') != std::string::npos) continue;
        std::replace(line.begin(), line.end(), '\t', ' ');
        regmatch_t groups[3];
        if (regexec(&expression, line.c_str(), 3, groups, 0) != 0) continue;
        std::string value = line.substr(groups[2].rm_so, groups[2].rm_eo - groups[2].rm_so);
        value.erase(value.find_last_not_of(" \n\r\t") + 1);
        values[line.substr(groups[1].rm_so, groups[1].rm_eo - groups[1].rm_so)] = value;
    }
    return values;
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
    if (config.values() != expected(std::string(reinterpret_cast<const char*>(data), size)))
        __builtin_trap();
    return 0;
}
