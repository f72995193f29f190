#include "mime/arc/arcauthenticationresults.h"

#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/arc/arctaglist.h"
#include "mime/authresults/authenticationtokens.h"
#include "mime/detail/wrapped.h"
#include "mime/fields/whitespace.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

size_t blanks(const char* data, size_t size)
{
    return Whitespace(data, size, false).consumed();
}

} // namespace

ArcAuthenticationInstance::ArcAuthenticationInstance(const char* data, size_t size)
{
    size_t position = blanks(data, size);
    std::string word;
    position += AuthenticationKeyword(word, data + position, size - position).size;
    if (word != "i")
        throw std::runtime_error("Arc-Authentication-Results header does not start with i");
    position += blanks(data + position, size - position);
    detail::expect(data, size, position, '=');
    ++position;
    position += blanks(data + position, size - position);
    position += AuthenticationKeyword(word, data + position, size - position).size;
    instance = detail::arcInstance(word);
    position += blanks(data + position, size - position);
    detail::expect(data, size, position, ';');
    consumed = position + 1;
}

ArcAuthenticationResults::ArcAuthenticationResults(const char* data, size_t size, bool check)
    : ArcAuthenticationInstance(data, size),
      AuthenticationResults(data + consumed, size - consumed, check)
{
}

size_t ArcAuthenticationResults::encode(const Capabilities& capabilities, Filter::Result* output,
                                        bool final) const
{
    size_t written = output->append("i=", 2, true);
    written += output->append(std::to_string(instance));
    written += output->append(";", 1, true);
    return written + AuthenticationResults::encode(capabilities, output, final);
}

size_t ArcAuthenticationResults::encode(const Capabilities& capabilities, Filter::WordWrap* output,
                                        bool final) const
{
    return encode(capabilities, static_cast<Filter::Result*>(output), final);
}

size_t ArcAuthenticationResults::encode(const Capabilities& capabilities,
                                        Filter::LineLength* output, bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
