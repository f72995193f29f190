// An Authentication-Results entry for an ARC chain's verdict.
#include "mime/arc/arcstatus.h"
#include "mime/authresults/authenticationresults.h"

namespace Kestrava
{
namespace Mime
{

void AuthenticationResults::add(const ArcStatus& status)
{
    // A key that could not be fetched for now is no verdict on the chain.
    bool temporary = status.result == ArcStatus::cvfail && status.temporary;
    AuthenticationResult result("arc", temporary ? Status::temperror : status.result);
    if (status.result == ArcStatus::cvfail) result.reason = status.reason;
    results.push_back(result);
}

} // namespace Mime
} // namespace Kestrava
