// The typed grammar of Authentication-Results fields.
#include "mime/authresults/authenticationresults.h"
#include "mime/fields/typedgrammar.h"

namespace Kestrava
{
namespace Mime
{

const TypedGrammar authenticationResultsGrammar(&strictly<AuthenticationResults>);

} // namespace Mime
} // namespace Kestrava
