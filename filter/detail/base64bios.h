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
    /// Over an empty memory BIO for writing. Throws std::runtime_error when
    /// OpenSSL is missing or makes no BIO.
    Base64Bios();

    /// Over a memory BIO that reads `size` bytes at `data` in place (they
    /// must stay as they are while the BIOs live).
    Base64Bios(const char* data, int size);

    BIO* base64() const { return _base64.bio(); }
    BIO* memory() const { return _memory.bio(); }

    /// Hands everything that can be read from `bio` to `next` (not final);
    /// returns what `next` took.
    static size_t readAll(BIO* bio, Result* next);

private:
    /// Pushes the base64 BIO on the memory BIO.
    void join();

    OpenSSL::Bio _base64;
    OpenSSL::Bio _memory;
};

} // namespace detail
} // namespace Filter
} // namespace Kestrava
