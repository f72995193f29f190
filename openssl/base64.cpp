#include "openssl/base64.h"

#include "openssl/ownedbio.h"
#include "openssl/functions.h"

#include <climits>

namespace Kestrava
{
namespace OpenSSL
{

std::string Base64::encode(const char* data, size_t size, bool newlines)
{
    if (size > static_cast<size_t>(INT_MAX)) return "";

    // Declared in this order so that the memory BIO is freed before the
    // base64 BIO that writes into it.
    Bio base64(OpenSSL::BIO_f_base64());
    Bio memory(OpenSSL::BIO_s_mem());
    if (base64.bio() == nullptr || memory.bio() == nullptr) return "";
    if (!newlines) OpenSSL::BIO_set_flags(base64.bio(), BIO_FLAGS_BASE64_NO_NL);
    OpenSSL::BIO_push(base64.bio(), memory.bio());

    size_t taken = 0;
    while (taken < size)
    {
        int written =
            OpenSSL::BIO_write(base64.bio(), data + taken, static_cast<int>(size - taken));
        if (written > 0)
            taken += static_cast<size_t>(written);
        else if (OpenSSL::BIO_test_flags(base64.bio(), BIO_FLAGS_SHOULD_RETRY) == 0)
            return "";
    }

    OpenSSL::BIO_ctrl(base64.bio(), BIO_CTRL_FLUSH, 0, nullptr);
    char* text = nullptr;
    long length = OpenSSL::BIO_ctrl(memory.bio(), BIO_CTRL_INFO, 0, &text);
    if (text == nullptr || length <= 0) return "";
    return std::string(text, static_cast<size_t>(length));
}

} // namespace OpenSSL
} // namespace Kestrava
