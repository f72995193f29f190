#include "mime/dkim/canonicalization.h"

namespace Kestrava
{
namespace Mime
{

const char* Canonicalization::text() const
{
    if (headerSimple) return bodySimple ? "simple/simple" : "simple/relaxed";
    return bodySimple ? "relaxed/simple" : "relaxed/relaxed";
}

} // namespace Mime
} // namespace Kestrava
