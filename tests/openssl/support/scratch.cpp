#include "tests/openssl/support/scratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

Scratch::Scratch()
{
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kestrava-openssl-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
    _directory = buffer.data();
}

Scratch::~Scratch()
{
    std::error_code ignored;
    std::filesystem::remove_all(_directory, ignored);
}

std::string Scratch::path(const std::string& name) const
{
    return _directory + "/" + name;
}

void Scratch::write(const std::string& name, const std::string& content) const
{
    std::ofstream file(path(name), std::ios::binary);
    file << content;
    if (!file) throw std::runtime_error("cannot write " + path(name));
}

std::string Scratch::read(const std::string& name) const
{
    std::ifstream file(path(name), std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path(name));
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
