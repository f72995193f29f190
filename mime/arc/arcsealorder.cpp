#include "mime/arc/arcsealorder.h"

#include "mime/arc/arcauthenticationresults.h"
#include "mime/arc/arcmessagesignature.h"
#include "mime/arc/arcsealsignature.h"
#include "mime/header.h"

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

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
            instance = ArcAuthenticationResults(value.data, value.size, true).instance;
            lines = &results;
        }
        else if (line.key() == "arc-message-signature")
        {
            instance = ArcMessageSignature(value.data, value.size, true).instance;
            lines = &signatures;
        }
        else if (line.key() == "arc-seal")
        {
            instance = ArcSealSignature(value.data, value.size, true).instance;
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
