#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

/// A directory of its own under the temporary directory, removed with
/// everything in it when the object goes.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        char name[] = "/tmp/kestrava-logging-XXXXXX";
        if (mkdtemp(name) == nullptr) throw std::runtime_error("mkdtemp failed");
        _path = name;
    }

    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    ~ScratchDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(_path, ignored);
    }

    /// A path inside the directory.
    std::string operator/(const std::string& name) const { return _path + "/" + name; }

    const std::string& path() const { return _path; }

private:
    std::string _path;
};

/// The whole content of a file, empty when it cannot be read.
inline std::string contentOf(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

/// What stat() tells of a path; all zero when it fails.
inline struct stat statusOf(const std::string& path)
{
    struct stat status = {};
    stat(path.c_str(), &status);
    return status;
}
