// Forwarding functions: BIOs and buffers.

#include "openssl/functions.h"

#include "openssl/detail/library.h"

#include "dynamic/function.h"

namespace Kestrava
{
namespace OpenSSL
{

using Dynamic::Function;

BIO* BIO_new(const BIO_METHOD* method)
{
    static const Function<decltype(BIO_new)> function(library(), "BIO_new");
    return function(method);
}

BIO* BIO_new_mem_buf(void* buffer, int size)
{
    static const Function<decltype(BIO_new_mem_buf)> function(library(), "BIO_new_mem_buf");
    return function(buffer, size);
}

void BIO_set_flags(BIO* bio, int flags)
{
    static const Function<decltype(BIO_set_flags)> function(library(), "BIO_set_flags");
    function(bio, flags);
}

int BIO_test_flags(const BIO* bio, int flags)
{
    static const Function<decltype(BIO_test_flags)> function(library(), "BIO_test_flags");
    return function(bio, flags);
}

BIO* BIO_push(BIO* bio, BIO* append)
{
    static const Function<decltype(BIO_push)> function(library(), "BIO_push");
    return function(bio, append);
}

int BIO_write(BIO* bio, const void* data, int size)
{
    static const Function<decltype(BIO_write)> function(library(), "BIO_write");
    return function(bio, data, size);
}

int BIO_read(BIO* bio, void* data, int size)
{
    static const Function<decltype(BIO_read)> function(library(), "BIO_read");
    return function(bio, data, size);
}

long BIO_ctrl(BIO* bio, int command, long argument, void* pointer)
{
    static const Function<decltype(BIO_ctrl)> function(library(), "BIO_ctrl");
    return function(bio, command, argument, pointer);
}

int BIO_free(BIO* bio)
{
    static const Function<decltype(BIO_free)> function(library(), "BIO_free");
    return function(bio);
}

const BIO_METHOD* BIO_f_base64()
{
    static const Function<decltype(BIO_f_base64)> function(library(), "BIO_f_base64");
    return function();
}

const BIO_METHOD* BIO_s_mem()
{
    static const Function<decltype(BIO_s_mem)> function(library(), "BIO_s_mem");
    return function();
}

const BIO_METHOD* BIO_s_file()
{
    static const Function<decltype(BIO_s_file)> function(library(), "BIO_s_file");
    return function();
}

BUF_MEM* BUF_MEM_new()
{
    static const Function<decltype(BUF_MEM_new)> function(library(), "BUF_MEM_new");
    return function();
}

void BUF_MEM_free(BUF_MEM* buffer)
{
    static const Function<decltype(BUF_MEM_free)> function(library(), "BUF_MEM_free");
    function(buffer);
}

size_t BUF_MEM_grow(BUF_MEM* buffer, size_t size)
{
    static const Function<decltype(BUF_MEM_grow)> function(library(), "BUF_MEM_grow");
    return function(buffer, size);
}

} // namespace OpenSSL
} // namespace Kestrava
