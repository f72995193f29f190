// Putting a service's results at the top of a header.
#include "mime/authresults/authenticationresults.h"
#include "mime/header.h"

namespace Kestrava
{
namespace Mime
{

Header& Header::prepend(const AuthenticationResults& results)
{
    return prepend("Authentication-Results", static_cast<const HeaderField&>(results));
}

} // namespace Mime
} // namespace Kestrava
