#include "mime/arc/arcsignatures.h"

#include "mime/object.h"

#include <strings.h>

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

ArcSignatures::ArcSignatures(const Object& message) : message(message)
{
    try
    {
        order.reset(new ArcSealOrder(message.header));
    }
    catch (const std::exception& failure)
    {
        error = std::string("Could not determine ordering: ") + failure.what();
        return;
    }
    collect(message);
}

void ArcSignatures::collect(const Object& message)
{
    size_t count = order->size();
    if (count == 0) return;
    const Header& header = message.header;
    try
    {
        const Value& value = header.line(order->signatures[count - 1]).value();
        signature = ArcMessageSignature(value.data, value.size, true);
    }
    catch (const std::exception& failure)
    {
        error = std::string("Message signature invalid: ") + failure.what();
        return;
    }
    for (size_t n = 1; n <= count; ++n)
    {
        try
        {
            const Value& value = header.line(order->seals[n - 1]).value();
            seals.emplace_back(value.data, value.size, true);
        }
        catch (const std::exception& failure)
        {
            error = "Chain signature [" + std::to_string(n) + "] invalid: " + failure.what();
            return;
        }
    }
    for (size_t k = count; k >= 1; --k)
    {
        const ArcSealSignature& seal = seals[k - 1];
        std::string hop = "Invalid arc-seal hop[" + std::to_string(k) + "]: ";
        auto cv = seal.tags().find("cv");
        const char* wanted = seal.instance == 1 ? "none" : "pass";
        if (cv == seal.tags().end() || strcasecmp(cv->second.c_str(), wanted) != 0)
        {
            error = hop + "invalid cv";
            return;
        }
        if (seal.domain().empty() || seal.selector().empty())
        {
            error = hop + "Domain or selector not set in signature";
            return;
        }
    }
}

} // namespace Mime
} // namespace Kestrava
