// Files and commands of the MIME benchmark drivers.
#pragma once

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

namespace Bench
{

inline std::string slurp(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void spit(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

/// The standard output of a shell command line.
inline std::string command(const std::string& line)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(line.c_str(), "r"), pclose);
    if (!pipe) throw std::runtime_error("cannot run " + line);
    char buffer[256];
    std::string output;
    while (fgets(buffer, sizeof buffer, pipe.get()))
        output += buffer;
    return output;
}

} // namespace Bench
