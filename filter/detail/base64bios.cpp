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
    if (_base64.bio() == nullptr || _memory.bio() == nullptr)
        throw std::runtime_error("OpenSSL could not make a base64 BIO");
    OpenSSL::BIO_set_flags(_base64.bio(), BIO_FLAGS_BASE64_NO_NL);
    OpenSSL::BIO_push(_base64.bio(), _memory.bio());
}

size_t Base64Bios::drain(Result* next) const
{
    char* data = nullptr;
    long size = OpenSSL::BIO_ctrl(_memory.bio(), BIO_CTRL_INFO, 0, &data);
    if (size <= 0 || data == nullptr) return 0;
    size_t taken = next->append(data, static_cast<size_t>(size), false);
    OpenSSL::BIO_ctrl(_memory.bio(), BIO_CTRL_RESET, 0, nullptr);
    return taken;
}

} // namespace detail
} // namespace Filter
} // namespace Kestrava
