#include "openssl/ownedbio.h"

#include "openssl/functions.h"

namespace Kestrava
{
namespace OpenSSL
{

Bio::Bio(const BIO_METHOD* method) : _bio(OpenSSL::BIO_new(method)) {}

Bio::~Bio()
{
    if (_bio != nullptr) OpenSSL::BIO_free(_bio);
}

} // namespace OpenSSL
} // namespace Kestrava
