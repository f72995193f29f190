// The typed grammars of the three ARC fields.
#include "mime/arc/arcauthenticationresults.h"
#include "mime/arc/arcmessagesignature.h"
#include "mime/arc/arcsealsignature.h"
#include "mime/fields/typedgrammar.h"

namespace Kestrava
{
namespace Mime
{

const TypedGrammar arcAuthenticationResultsGrammar(&strictly<ArcAuthenticationResults>);
const TypedGrammar arcSealGrammar(&strictly<ArcSealSignature>);
const TypedGrammar arcMessageSignatureGrammar(&strictly<ArcMessageSignature>);

} // namespace Mime
} // namespace Kestrava
