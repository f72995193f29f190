#pragma once

#include "openssl/ownedbio.h"

#include <cstddef>

namespace Kestrava
{
namespace Filter
{

class Result;

namespace detail
{

/**
 * An OpenSSL base64 BIO pushed on a memory BIO, never with line breaks.
 * The memory BIO is freed first (members go in reverse order), then the
 * base64 BIO.
 */
class Base64Bios
{
public:
    /// Throws std::runtime_error when OpenSSL is missing or makes no BIO.
    Base64Bios();

    BIO* base64() const { return _base64.bio(); }
    BIO* memory() const { return _memory.bio(); }

    /// Hands everything in the memory BIO to `next` (not final) and empties
    /// it; returns what `next` took.
    size_t drain(Result* next) const;

private:
    OpenSSL::Bio _base64;
    OpenSSL::Bio _memory;
};

} // namespace detail
} // namespace Filter
} // namespace Kestrava
