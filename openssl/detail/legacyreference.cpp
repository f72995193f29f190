#include "openssl/detail/legacyreference.h"

#include "openssl/detail/library.h"

#include "dynamic/function.h"

namespace Kestrava
{
namespace OpenSSL
{

int addLegacyReference(int* count, int lock, int line)
{
    static const Dynamic::Function<int(int*, int, int, const char*, int)> addLock(
        library(), "CRYPTO_add_lock");
    return addLock(count, 1, lock, __FILE__, line) != 1 ? 1 : 0;
}

} // namespace OpenSSL
} // namespace Kestrava
