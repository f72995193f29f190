#include "mime/dkim/dkimsignatures.h"

#include "mime/object.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

DkimSignatures::DkimSignatures(const Object& message)
{
    for (const Value& value : message.header.all("dkim-signature"))
    {
        try
        {
            emplace_back(value.data, value.size, true, false);
        }
        catch (const std::runtime_error&)
        {
            push_back(DkimSignature::unreadable(value.data, value.size));
        }
    }
}

} // namespace Mime
} // namespace Kestrava
