#include "filter/detail/base64bios.h"

#include "filter/result.h"
#include "openssl/functions.h"

#include <stdexcept>

namespace Kestrava
{
namespace Filter
{
namespace detail
{

Base64Bios::Base64Bios() : _base64(OpenSSL::BIO_f_base64()), _memory(OpenSSL::BIO_s_mem())
{
    join();
}

Base64Bios::Base64Bios(const char* data, int size)
    : _base64(OpenSSL::BIO_f_base64()),
      _memory(OpenSSL::BIO_new_mem_buf(const_cast<char*>(data), size))
{
    join();
}

void Base64Bios::join()
{
    if (_base64.bio() == nullptr || _memory.bio() == nullptr)
        throw std::runtime_error("OpenSSL could not make a base64 BIO");
    OpenSSL::BIO_set_flags(_base64.bio(), BIO_FLAGS_BASE64_NO_NL);
    OpenSSL::BIO_push(_base64.bio(), _memory.bio());
}

size_t Base64Bios::readAll(BIO* bio, Result* next)
{
    size_t taken = 0;
    char block[16384];
    int count;
    while ((count = OpenSSL::BIO_read(bio, block, sizeof block)) > 0)
        taken += next->append(block, static_cast<size_t>(count), false);
    return taken;
}

} // namespace detail
} // namespace Filter
} // namespace Kestrava
