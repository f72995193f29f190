// Parses arbitrary bytes as a response head, in place and copied: both must
// agree, read nothing past the input, and walk every field they found.
#include "browse/header.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{

/// A digest of what a parse found, or its failure text.
std::string summary(const uint8_t* data, size_t size, bool copy)
{
    // An allocation of exactly the input, so that reading past it is caught.
    std::unique_ptr<char[]> text(new char[size]);
    memcpy(text.get(), data, size);
    try
    {
        Kestrava::Browse::Header header(text.get(), size, false, copy);
        std::string result = std::to_string(header.status()) + " " +
                             std::to_string(header.major()) + "." + std::to_string(header.minor()) +
                             " " + std::to_string(header.size());
        for (const auto& line : header.lines())
        {
            result += "|" + std::string(line.name(), line.nameSize()) + "=" +
                      std::string(line.value(), line.valueSize());
            for (const char* value = header.get(line.name()); value != nullptr;
                 value = header.next(value))
                (void)strlen(value);
        }
        (void)header.contentLength();
        (void)header.chunked();
        (void)header.keepAlive();
        return result;
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy takes the head up to its empty line only, so compare with the
    // same bytes in place.
    const void* end = memmem(data, size, "\r\n\r\n", 4);
    size_t head =
        end == nullptr ? size : static_cast<size_t>(static_cast<const uint8_t*>(end) - data) + 4;
    if (summary(data, head, false) != summary(data, size, true)) abort();
    return 0;
}
