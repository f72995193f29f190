#include "mime/arc/arcline.h"

#include "mime/dkim/detail/foldedfield.h"
#include "mime/dkim/dkimsignature.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

std::string arcHead(const char* name, const std::string& value)
{
    // The b= pieces go on lines of their own, so the signed text is known
    // before the signature is.
    return foldedField(name, value) + ";\r\n b=";
}

std::string arcLine(const char* name, const std::string& value, const std::string& signature)
{
    if (signature.empty()) return foldedField(name, value) + "\r\n";
    return arcHead(name, value) + foldedPieces(signature) + "\r\n";
}

std::string arcLine(const char* name, const DkimSignature& signature)
{
    std::string value = signature.str(true);
    // b= is the last tag of a new signature.
    size_t b = value.rfind("; b=");
    return arcLine(name, value.substr(0, b), signature.signature());
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
