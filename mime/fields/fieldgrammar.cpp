#include "mime/fields/fieldgrammar.h"

#include "filter/linelength.h"
#include "filter/newlineconverter.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contentid.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/fields/contenttype.h"
#include "mime/key.h"
#include "mime/fields/mailbox.h"
#include "mime/fields/mailboxes.h"
#include "mime/fields/targets.h"
#include "mime/fields/typedgrammar.h"
#include "mime/value.h"

namespace Kestrava
{
namespace Mime
{

namespace
{

std::unique_ptr<HeaderField> transferEncoding(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(
        new ContentTransferEncoding(ContentTransferEncoding::parse(data, size)));
}

const TypedGrammar contentId(&plainly<ContentID>, "Content-ID");
const TypedGrammar contentType(&strictly<ContentType>, "Content-Type");
const TypedGrammar contentDisposition(&plainly<ContentDisposition>, "Content-Disposition");
const TypedGrammar contentTransferEncoding(&transferEncoding, "Content-Transfer-Encoding");
const TypedGrammar mailboxes(&strictly<Mailboxes>);
const TypedGrammar targets(&strictly<Targets>);
const TypedGrammar mailbox(&strictly<Mailbox>);

// clang-format off
const std::pair<const char*, const FieldGrammar*> grammars[] = {
    {"content-id", &contentId},
    {"content-type", &contentType},
    {"content-disposition", &contentDisposition},
    {"content-transfer-encoding", &contentTransferEncoding},
    {"from", &mailboxes}, {"resent-from", &mailboxes},
    {"to", &targets}, {"cc", &targets}, {"bcc", &targets}, {"reply-to", &targets},
    {"resent-to", &targets}, {"resent-cc", &targets}, {"resent-bcc", &targets},
    {"resent-reply-to", &targets},
    {"sender", &mailbox},
    {"authentication-results", &authenticationResultsGrammar},
    {"arc-authentication-results", &arcAuthenticationResultsGrammar},
    {"dkim-signature", &dkimSignatureGrammar},
    {"arc-seal", &arcSealGrammar},
    {"arc-message-signature", &arcMessageSignatureGrammar}};
// clang-format on

} // namespace

size_t TypedGrammar::encode(const Capabilities& capabilities, const Value& value,
                            Filter::LineLength* output) const
{
    std::unique_ptr<HeaderField> field;
    try
    {
        field = _parser(value.data, value.size);
    }
    catch (const std::exception&)
    {
        // A value that is not in the grammar's form goes out as it came.
        Filter::NewlineConverter converter(output, "\r\n", 0);
        size_t written = converter.process(value.data, value.size, false);
        return written + converter.flush();
    }
    return field->encode(capabilities, output, false);
}

bool TypedGrammar::valid(const Value& value) const
{
    _parser(value.data, value.size);
    return true;
}

const FieldGrammar* FieldGrammar::find(const Key& name)
{
    for (const auto& entry : grammars)
        if (name == entry.first) return entry.second;
    return nullptr;
}

} // namespace Mime
} // namespace Kestrava
