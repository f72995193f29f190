#include "tests/filter/support/python.h"

#include "tests/openssl/support/process.h"
#include "tests/openssl/support/scratch.h"

#include <sstream>
#include <stdexcept>

namespace Kestrava
{
namespace Filter
{
namespace Check
{

namespace
{

// The bytes travel as hex lines: no quoting, no line-break trouble.
const char driver[] = R"(
import sys
exec(open(sys.argv[1]).read())
with open(sys.argv[2]) as source, open(sys.argv[3], "w") as target:
    for line in source:
        target.write(apply(bytes.fromhex(line.strip())).hex() + "\n")
)";

std::string toHex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes)
    {
        text.push_back(digits[c >> 4]);
        text.push_back(digits[c & 15]);
    }
    return text;
}

std::string fromHex(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

} // namespace

std::vector<std::string> python(const std::string& module, const std::vector<std::string>& inputs)
{
    OpenSSL::Test::Scratch scratch;
    scratch.write("driver.py", driver);
    scratch.write("module.py", module);
    std::string lines;
    for (const std::string& input : inputs)
        lines += toHex(input) + "\n";
    scratch.write("input", lines);
    std::string output;
    int status = OpenSSL::Test::runShell("/usr/bin/python3 " + scratch.path("driver.py") + " " +
                                             scratch.path("module.py") + " " +
                                             scratch.path("input") + " " + scratch.path("output"),
                                         &output);
    if (status != 0) throw std::runtime_error("python failed: " + output);
    std::vector<std::string> results;
    std::istringstream stream(scratch.read("output"));
    for (std::string line; std::getline(stream, line);)
        results.push_back(fromHex(line));
    if (results.size() != inputs.size()) throw std::runtime_error("python lost results");
    return results;
}

std::string python(const std::string& module, const std::string& input)
{
    return python(module, std::vector<std::string>{input}).front();
}

} // namespace Check
} // namespace Filter
} // namespace Kestrava
