#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace OpenSSL
{

/// Base64 encoding through OpenSSL's base64 BIO.
class Base64
{
public:
    /**
     * The base64 text of `size` bytes at `data`. With `newlines` the text is
     * broken into lines of 64 characters, each ended by "\n"; without, it is
     * one line. Empty when OpenSSL fails to encode or the input does not fit
     * OpenSSL's int lengths.
     */
    static std::string encode(const char* data, size_t size, bool newlines);
};

} // namespace OpenSSL
} // namespace Kestrava
