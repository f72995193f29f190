#include "tests/openssl/support/sharedpki.h"

namespace Kestrava
{
namespace OpenSSL
{
namespace Test
{

Pki* SharedPkiTest::_pki = nullptr;

} // namespace Test
} // namespace OpenSSL
} // namespace Kestrava
