#include "filter/base64encode.h"

#include "openssl/functions.h"

#include <algorithm>

namespace Kestrava
{
namespace Filter
{

namespace
{

// The memory BIO is emptied after every piece of this many input bytes:
// one big write makes it grow and copy, which costs several times more.
constexpr size_t pieceSize = 12 * 1024;

} // namespace

Base64Encode::Base64Encode(Result* next) : Filter(next) {}

Base64Encode::~Base64Encode()
{
    try
    {
        flush();
    }
    catch (...)
    {
        // A destructor must not throw; what the sink refused is lost.
    }
}

size_t Base64Encode::process(const char* data, size_t size, bool)
{
    size_t total = 0;
    while (size > 0)
    {
        int piece = static_cast<int>(std::min(size, pieceSize));
        int written = 0;
        while (written < piece)
        {
            int count = OpenSSL::BIO_write(_bios.base64(), data + written, piece - written);
            if (count > 0)
                written += count;
            else if (OpenSSL::BIO_test_flags(_bios.base64(), BIO_FLAGS_SHOULD_RETRY) == 0)
                return total;
        }
        total += drain();
        data += piece;
        size -= static_cast<size_t>(piece);
    }
    return total;
}

size_t Base64Encode::drain()
{
    // Reading empties the memory BIO but leaves its buffer as it is; a
    // reset would clear all of the buffer on every call.
    return detail::Base64Bios::readAll(_bios.memory(), next);
}

size_t Base64Encode::flush()
{
    OpenSSL::BIO_ctrl(_bios.base64(), BIO_CTRL_FLUSH, 0, nullptr);
    size_t total = drain();
    return total + next->flush();
}

} // namespace Filter
} // namespace Kestrava
