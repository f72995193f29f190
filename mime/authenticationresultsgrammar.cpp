// The typed grammar of Authentication-Results fields.
#include "mime/authenticationresults.h"
#include "mime/typedgrammar.h"

namespace Kestrava
{
namespace Mime
{

const TypedGrammar authenticationResultsGrammar(&strictly<AuthenticationResults>);

} // namespace Mime
} // namespace Kestrava
