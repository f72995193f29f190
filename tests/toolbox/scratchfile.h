#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include <unistd.h>

/// A file of given bytes in the temporary directory, removed with the object.
class ScratchFile
{
public:
    explicit ScratchFile(const std::string& content)
    {
        char name[] = "/tmp/kestrava-toolbox-XXXXXX";
        int descriptor = mkstemp(name);
        if (descriptor < 0) throw std::runtime_error("mkstemp failed");
        close(descriptor);
        _path = name;
        std::ofstream(_path, std::ios::binary) << content;
    }

    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    ~ScratchFile() { std::remove(_path.c_str()); }

    const std::string& path() const { return _path; }

private:
    std::string _path;
};
