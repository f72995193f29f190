// Sealing a message with ARC sets and taking them off again.
#include "dns/blocking/context.h"
#include "mime/arc/arcauthenticationresults.h"
#include "mime/arc/arcline.h"
#include "mime/arc/arcpublickeys.h"
#include "mime/arc/arcsignatures.h"
#include "mime/arc/arcsigndata.h"
#include "mime/authresults/authenticationresults.h"
#include "mime/capabilities.h"
#include "mime/object.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// Whether the newest seal already says the chain failed: nothing is
/// added on top of it (RFC 8617 5.1).
bool endsFailed(const ArcSignatures& signatures)
{
    if (signatures.seals.empty() || signatures.seals.size() != signatures.sets()) return false;
    auto cv = signatures.seals.back().tags().find("cv");
    return cv != signatures.seals.back().tags().end() &&
           strcasecmp(cv->second.c_str(), "fail") == 0;
}

} // namespace

Object::ExtHeader& Object::ExtHeader::prependLine(const char* name, const std::string& text)
{
    insert(0, name, preserve(text.data(), text.size()));
    return *this;
}

bool Object::resign(Dns::Context& context, const Capabilities& capabilities, const DkimKey& key,
                    const AuthenticationResults& results, long expire, bool flag)
{
    try
    {
        ArcSignatures signatures(*this);
        ArcPublicKeys keys(context, signatures);
        return resign(capabilities, signatures, keys, key, results, expire, flag);
    }
    catch (...)
    {
        return false;
    }
}

bool Object::resign(const Capabilities& capabilities, const ArcSignatures& signatures,
                    const ArcPublicKeys& keys, const DkimKey& key,
                    const AuthenticationResults& results, long expire, bool flag)
{
    try
    {
        if (!signatures.order || signatures.sets() >= ArcSealOrder::highest ||
            endsFailed(signatures))
            return false;
        ArcStatus status(*this, signatures, keys);
        // A key that may answer later is no reason to break the chain.
        if (status.temporary) return false;
        int instance = static_cast<int>(signatures.sets()) + 1;
        ArcSignData data(*this, signatures, keys, status, instance, key);
        std::string text = results.str(true);
        ArcAuthenticationResults arcResults(instance,
                                            AuthenticationResults(text.data(), text.size(), true));
        ArcMessageSignature signature(capabilities, data, expire, flag);
        ArcSealSignature seal(capabilities, data, arcResults, signature);

        std::string lines[] = {
            detail::arcLine("ARC-Authentication-Results", arcResults.str(true), ""),
            detail::arcLine("ARC-Message-Signature", signature), detail::arcLine("ARC-Seal", seal)};
        header.prependLine("ARC-Authentication-Results", lines[0]);
        header.prependLine("ARC-Message-Signature", lines[1]);
        header.prependLine("ARC-Seal", lines[2]);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool Object::resign(const Capabilities& capabilities, const DkimKey& key,
                    const std::string& authservId, long expire, bool flag)
{
    try
    {
        AuthenticationResults merged(authservId);
        bool found = false;
        for (const Line& line : header)
        {
            if (!(line.key() == "authentication-results")) continue;
            try
            {
                AuthenticationResults parsed(line.value().data, line.value().size, true);
                if (parsed.authservId != authservId) continue;
                found = true;
                merged.results.insert(merged.results.end(), parsed.results.begin(),
                                      parsed.results.end());
            }
            catch (const std::exception&)
            {
                // Another service's field, or one that does not read.
            }
        }
        if (!found) return false;
        Dns::Context context;
        return resign(context, capabilities, key, merged, expire, flag);
    }
    catch (...)
    {
        return false;
    }
}

void Object::unresign(const std::vector<std::string>& authservIds)
{
    try
    {
        ArcSealOrder order(header);
        std::vector<uint32_t> positions;
        for (size_t n = order.size(); n >= 1; --n)
        {
            const Value& value = header.line(order.results[n - 1]).value();
            // Only the service's identifier counts, however it wrote the rest.
            ArcAuthenticationResults results(value.data, value.size, false);
            if (std::find(authservIds.begin(), authservIds.end(), results.authservId) ==
                authservIds.end())
                break;
            positions.push_back(order.results[n - 1]);
            positions.push_back(order.signatures[n - 1]);
            positions.push_back(order.seals[n - 1]);
        }
        std::sort(positions.rbegin(), positions.rend());
        for (uint32_t position : positions)
            header.remove(static_cast<size_t>(position));
    }
    catch (...)
    {
        // A chain that does not read stays as it is.
    }
}

} // namespace Mime
} // namespace Kestrava
