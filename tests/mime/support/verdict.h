#pragma once

#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/status.h"

#include <string>

namespace Kestrava
{
namespace Mime
{
class Object;
}
namespace Test
{

/// The first DKIM-Signature of the message, read strictly.
Mime::DkimSignature firstSignature(const Mime::Object& message);

/// The result word, and ": " and the reason when there is one.
std::string verdict(const Mime::Status& status);

/// Our verdict on the signature with the key given as bare base64.
std::string verifyWith(const Mime::Object& message, const Mime::DkimSignature& signature,
                       const std::string& publicBase64);

} // namespace Test
} // namespace Kestrava
