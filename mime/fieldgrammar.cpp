#include "mime/fieldgrammar.h"

#include "filter/linelength.h"
#include "filter/newlineconverter.h"
#include "mime/arcauthenticationresults.h"
#include "mime/arcmessagesignature.h"
#include "mime/arcsealsignature.h"
#include "mime/authenticationresults.h"
#include "mime/contentdisposition.h"
#include "mime/contentid.h"
#include "mime/contenttransferencoding.h"
#include "mime/contenttype.h"
#include "mime/dkimsignature.h"
#include "mime/key.h"
#include "mime/mailbox.h"
#include "mime/mailboxes.h"
#include "mime/targets.h"
#include "mime/value.h"

namespace Kestrava
{
namespace Mime
{

namespace
{

using Parser = std::unique_ptr<HeaderField> (*)(const char* data, size_t size);

/// A grammar made of one parser; every typed value writes itself.
class TypedGrammar : public FieldGrammar
{
public:
    TypedGrammar(Parser parser, const char* canonical = nullptr)
        : _parser(parser), _canonical(canonical)
    {
    }

    std::unique_ptr<HeaderField> parse(const char* data, size_t size) const override
    {
        return _parser(data, size);
    }

    const char* canonicalName() const override { return _canonical; }

    size_t encode(const Capabilities& capabilities, const Value& value,
                  Filter::LineLength* output) const override
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

    bool valid(const Value& value) const override
    {
        _parser(value.data, value.size);
        return true;
    }

private:
    Parser _parser;
    const char* _canonical;
};

template <typename Field> std::unique_ptr<HeaderField> strictly(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(new Field(data, size, true));
}

template <typename Field> std::unique_ptr<HeaderField> plainly(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(new Field(data, size));
}

std::unique_ptr<HeaderField> transferEncoding(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(
        new ContentTransferEncoding(ContentTransferEncoding::parse(data, size)));
}

std::unique_ptr<HeaderField> dkimSignature(const char* data, size_t size)
{
    return std::unique_ptr<HeaderField>(new DkimSignature(data, size, true, false));
}

const TypedGrammar contentId(&plainly<ContentID>, "Content-ID");
const TypedGrammar contentType(&strictly<ContentType>, "Content-Type");
const TypedGrammar contentDisposition(&plainly<ContentDisposition>, "Content-Disposition");
const TypedGrammar contentTransferEncoding(&transferEncoding, "Content-Transfer-Encoding");
const TypedGrammar mailboxes(&strictly<Mailboxes>);
const TypedGrammar targets(&strictly<Targets>);
const TypedGrammar mailbox(&strictly<Mailbox>);
const TypedGrammar authenticationResults(&strictly<AuthenticationResults>);
const TypedGrammar arcAuthenticationResults(&strictly<ArcAuthenticationResults>);
const TypedGrammar dkim(&dkimSignature);
const TypedGrammar arcSeal(&strictly<ArcSealSignature>);
const TypedGrammar arcMessageSignature(&strictly<ArcMessageSignature>);

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
    {"authentication-results", &authenticationResults},
    {"arc-authentication-results", &arcAuthenticationResults},
    {"dkim-signature", &dkim},
    {"arc-seal", &arcSeal},
    {"arc-message-signature", &arcMessageSignature}};
// clang-format on

} // namespace

const FieldGrammar* FieldGrammar::find(const Key& name)
{
    for (const auto& entry : grammars)
        if (name == entry.first) return entry.second;
    return nullptr;
}

} // namespace Mime
} // namespace Kestrava
