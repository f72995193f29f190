// Parses arbitrary bytes as a URL and as a redirect location against a
// base: whatever parses must have a path fit for a request line (no blank,
// control byte or byte outside ASCII, no dot segment before the query), no
// CR, LF or NUL anywhere, a host, and a port that fits in 16 bits.
#include "browse/url.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{

using Kestrava::Browse::Url;

void check(const Url& url)
{
    const std::string& text = url.text();
    if (text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) abort();
    if (url.port() > 65535) abort();
    if (url.hostname().ascii() == nullptr || *url.hostname().ascii() == '\0') abort();
    if (url.path() == nullptr) return;
    for (const char* at = url.path(); at < text.data() + text.size(); ++at)
    {
        auto byte = static_cast<unsigned char>(*at);
        if (byte <= ' ' || byte >= 0x7f) abort();
    }
    std::string path = std::string(url.path()).substr(0, strcspn(url.path(), "?")) + "/";
    if (path.find("/./") != std::string::npos || path.find("/../") != std::string::npos) abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    try
    {
        check(Url(text.data(), text.size()));
    }
    catch (const std::runtime_error&)
    {
    }
    static const Url base("http://leaf.test/d/n.txt?q=1", 28);
    try
    {
        check(Url(base, text.c_str()));
    }
    catch (const std::runtime_error&)
    {
    }
    return 0;
}
