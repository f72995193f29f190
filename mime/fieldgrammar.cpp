#include "mime/fieldgrammar.h"

namespace Kestrava
{
namespace Mime
{

const FieldGrammar* FieldGrammar::find(const Key&)
{
    // No field has a typed grammar yet: every name takes the plain path.
    return nullptr;
}

} // namespace Mime
} // namespace Kestrava
