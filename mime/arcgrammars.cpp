// The typed grammars of the three ARC fields.
#include "mime/arcauthenticationresults.h"
#include "mime/arcmessagesignature.h"
#include "mime/arcsealsignature.h"
#include "mime/typedgrammar.h"

namespace Kestrava
{
namespace Mime
{

const TypedGrammar arcAuthenticationResultsGrammar(&strictly<ArcAuthenticationResults>);
const TypedGrammar arcSealGrammar(&strictly<ArcSealSignature>);
const TypedGrammar arcMessageSignatureGrammar(&strictly<ArcMessageSignature>);

} // namespace Mime
} // namespace Kestrava
