#pragma once

#include <string>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

/// A private temporary directory, removed with everything in it.
class Scratch
{
public:
    Scratch();

    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    ~Scratch();

    /// The full path of `name` inside the directory.
    std::string path(const std::string& name) const;

    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;

private:
    std::string _directory;
};

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
