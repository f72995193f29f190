// Feeds arbitrary bytes as a cached copy through the file's members, the
// cache's storing and freshness rules and the date parser; every file name
// found must be one harmless path component.
#include "browse/cachepolicy.h"
#include "browse/file.h"
#include "browse/header.h"
#include "browse/httpdate.h"
#include "browse/url.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace
{

using Kestrava::Browse::CachePolicy;
using Kestrava::Browse::File;

constexpr int64_t now = 1700000000;

void checkName(const std::string& name)
{
    for (char c : name)
    {
        auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) abort();
    }
    if (name == "." || name == "..") abort();
}

void checkMembers(const File::Members& members)
{
    checkName(members.fileName);
    CachePolicy policy(members.header, now);
    int64_t lifetime = 0;
    if (policy.storable(lifetime) && lifetime < CachePolicy::unknown) abort();
    (void)policy.fresh();
}

bool sameText(const char* first, size_t firstSize, const char* second, size_t secondSize)
{
    return firstSize == secondSize && memcmp(first, second, firstSize) == 0;
}

bool sameHead(const Kestrava::Browse::Header& first, const Kestrava::Browse::Header& second)
{
    if (first.status() != second.status() || first.lines().size() != second.lines().size())
        return false;
    for (size_t i = 0; i < first.lines().size(); ++i)
    {
        const auto& one = first.lines()[i];
        const auto& other = second.lines()[i];
        if (!sameText(one.name(), one.nameSize(), other.name(), other.nameSize()) ||
            !sameText(one.value(), one.valueSize(), other.value(), other.valueSize()))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Kestrava::Browse::Url url("http://leaf.test/d/n.txt", 24);
    // An allocation of exactly the input, so that reading past it is caught;
    // the copy's bytes must stay as they are.
    std::unique_ptr<char[]> bytes(new char[size]);
    memcpy(bytes.get(), data, size);
    std::string text(reinterpret_cast<const char*>(data), size);

    (void)Kestrava::Browse::parseHttpDate(text.c_str(), now);
    try
    {
        File::Members members(url, bytes.get(), size, false);
        if (memcmp(bytes.get(), data, size) != 0) abort();
        checkMembers(members);
        // The head written back from an in-place parse parses the same
        // (its line ends may have become CR LF).
        File::Members received(url, members.header, false);
        if (!sameHead(received.header, members.header)) abort();
        checkMembers(received);
    }
    catch (const std::runtime_error&)
    {
    }

    // The same bytes as header values to name a file by.
    std::string head = "HTTP/1.1 200 OK\r\n\r\n";
    File::Members named(url, head.data(), head.size(), false);
    named.fileName.clear();
    named.disposition(text.c_str());
    checkName(named.fileName);
    named.type(text.c_str());
    checkName(named.fileName);
    return 0;
}
