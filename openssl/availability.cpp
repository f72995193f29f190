#include "openssl/availability.h"

#include "openssl/detail/library.h"

namespace Kestrava
{
namespace OpenSSL
{

bool valid()
{
    return library().valid();
}

void* handle()
{
    return library().handle();
}

bool supportsDane()
{
    return library().exports("SSL_CTX_dane_enable");
}

} // namespace OpenSSL
} // namespace Kestrava
