#include "mime/fields/fieldgrammar.h"

#include "filter/linelength.h"
#include "filter/newlineconverter.h"
#include "mime/detail/ctype.h"
#include "mime/detail/skip.h"
#include "mime/detail/wrapped.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contentid.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/fields/contenttype.h"
#include "mime/key.h"
#include "mime/fields/mailbox.h"
#include "mime/fields/mailboxes.h"
#include "mime/fields/targets.h"
#include "mime/fields/typedgrammar.h"
#include "mime/fields/whitespace.h"
#include "mime/value.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

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

/**
 * A content field whose token its grammar refuses ("text" without a
 * subtype, a multipart type without a boundary, as real messages have
 * them): the text before the first ";" as it came, the parameters after it
 * read and written as in the grammar, so that they reach a 7-bit receiver
 * whole. No token, or one with 8-bit bytes, is refused too.
 */
class LooseContent : public HeaderField
{
public:
    LooseContent(const char* data, size_t size)
        : _head(detail::skipItem(data, size, ";")),
          _params(data + std::min(_head + 1, size), size - std::min(_head + 1, size), true),
          _data(data)
    {
        size_t blanks = 0;
        while (blanks < _head && detail::isSpace(data[blanks]))
            ++blanks;
        if (blanks == _head || detail::hasEightBit(data, _head))
            throw std::runtime_error("invalid content token");
    }

    using HeaderField::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override
    {
        size_t written = output->append(_data, _head, final);
        return written + _params.encode(capabilities, output, final);
    }
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override
    {
        return detail::wrapped(*this, capabilities, output, final);
    }

private:
    size_t _head;
    Params _params;
    const char* _data;
};

/// A Content-ID with nothing but white space and comments after its
/// identifier: written from its grammar, other text after it would be lost,
/// so that value goes as it came.
std::unique_ptr<HeaderField> wholeContentId(const char* data, size_t size)
{
    auto field = plainly<ContentID>(data, size);
    size_t after = static_cast<const char*>(std::memchr(data, '>', size)) - data + 1;
    if (Whitespace(data + after, size - after, true).consumed() != size - after)
        throw std::runtime_error("text after the content-id");
    return field;
}

const TypedGrammar contentId(&wholeContentId, "Content-ID");
const TypedGrammar contentType(&strictly<ContentType>, "Content-Type", &plainly<LooseContent>);
const TypedGrammar contentDisposition(&plainly<ContentDisposition>, "Content-Disposition",
                                      &plainly<LooseContent>);
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
    }
    if (!field && _loose)
    {
        try
        {
            field = _loose(value.data, value.size);
        }
        catch (const std::exception&)
        {
        }
    }
    if (!field)
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

bool FieldGrammar::text(const Key& name)
{
    return name == "subject" || (name.size >= 2 && strncasecmp(name.data, "x-", 2) == 0);
}

bool FieldGrammar::structured(const Key& name)
{
    return name.matches({"date",
                         "resent-date",
                         "message-id",
                         "resent-message-id",
                         "in-reply-to",
                         "references",
                         "return-path",
                         "received",
                         "mime-version",
                         "keywords",
                         "resent-sender",
                         "delivered-to",
                         "envelope-to",
                         "errors-to",
                         "return-receipt-to",
                         "disposition-notification-to",
                         "original-recipient",
                         "content-location",
                         "content-language",
                         "content-md5",
                         "archived-at",
                         "received-spf",
                         "auto-submitted"}) ||
           (name.size >= 5 && strncasecmp(name.data, "list-", 5) == 0);
}

} // namespace Mime
} // namespace Kestrava
