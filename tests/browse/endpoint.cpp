#include "tests/browse/endpoint.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Testing
{

namespace
{
uint16_t port(int index)
{
    std::ifstream file(Endpoint::directory() + "/ports");
    unsigned ports[3] = {};
    if (!(file >> ports[0] >> ports[1] >> ports[2]))
        throw std::runtime_error("the endpoint's ports are unknown");
    return static_cast<uint16_t>(ports[index]);
}
} // namespace

std::string Endpoint::directory()
{
    const char* directory = getenv("BROWSE_TEST_DIR");
    if (directory == nullptr) throw std::runtime_error("not run by tests/browse/namespace.sh");
    return directory;
}

uint16_t Endpoint::plain()
{
    return port(0);
}
uint16_t Endpoint::selfSigned()
{
    return port(1);
}
uint16_t Endpoint::caSigned()
{
    return port(2);
}

std::string Endpoint::queries()
{
    std::ifstream file(directory() + "/queries.log");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Endpoint::hex(const std::string& bytes)
{
    std::string text;
    char digits[3];
    for (unsigned char c : bytes)
    {
        snprintf(digits, sizeof digits, "%02x", c);
        text += digits;
    }
    return text;
}

} // namespace Testing
