#include "mime/arc/arcsealorder.h"

#include "mime/arc/arcauthenticationresults.h"
#include "mime/arc/arctaglist.h"
#include "mime/header.h"

#include <map>
#include <stdexcept>
#include <string>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The instance of a signature's tag list; whether the signature is
/// complete is for its own check to judge, not for the order.
int tagListInstance(const Value& value)
{
    std::vector<std::string> order;
    std::map<std::string, std::string> tags;
    DkimHeaderFields headers;
    detail::readArcTags(value.data, value.size, true, order, tags, headers);
    return detail::arcInstance(tags);
}

} // namespace

ArcSealOrder::ArcSealOrder(const Header& header) : header(header)
{
    for (size_t position = 0; position < header.size(); ++position)
    {
        const Line& line = header.line(position);
        const Value& value = line.value();
        std::vector<uint32_t>* lines = nullptr;
        int instance = 0;
        if (line.key() == "arc-authentication-results")
        {
            // The results themselves are the sealer's words: the chain
            // needs only their instance (RFC 8617 4.1.1).
            instance = ArcAuthenticationInstance(value.data, value.size).instance;
            lines = &results;
        }
        else if (line.key() == "arc-message-signature")
        {
            instance = tagListInstance(value);
            lines = &signatures;
        }
        else if (line.key() == "arc-seal")
        {
            instance = tagListInstance(value);
            lines = &seals;
        }
        else
            continue;
        if (instance < 1 || instance > highest)
            throw std::runtime_error("arc header contains invalid instance identifier");
        size_t index = static_cast<size_t>(instance) - 1;
        if (index >= seals.size())
        {
            results.resize(index + 1, missing);
            signatures.resize(index + 1, missing);
            seals.resize(index + 1, missing);
        }
        if ((*lines)[index] != missing)
            throw std::runtime_error("two arc headers have the same istance identifier");
        (*lines)[index] = static_cast<uint32_t>(position);
    }
    for (size_t i = 0; i < seals.size(); ++i)
        if (results[i] == missing || signatures[i] == missing || seals[i] == missing)
            throw std::runtime_error("we miss a header in the arc header set");
}

} // namespace Mime
} // namespace Kestrava
