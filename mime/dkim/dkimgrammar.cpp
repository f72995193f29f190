// The typed grammar of DKIM-Signature fields.
#include "mime/dkim/dkimsignature.h"
#include "mime/fields/typedgrammar.h"

namespace Kestrava
{
namespace Mime
{

namespace
{

std::unique_ptr<HeaderField> dkimSignature(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(new DkimSignature(data, size, true, false));
}

} // namespace

const TypedGrammar dkimSignatureGrammar(&dkimSignature);

} // namespace Mime
} // namespace Kestrava
