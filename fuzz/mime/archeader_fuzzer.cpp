// Reads arbitrary bytes as a message and collects its ARC chain: ordering
// may refuse with std::runtime_error, collecting never throws, and a chain
// without an error has a seal per set, each at its instance.
#include "fuzz/mime/support.h"
#include "mime/arc/arcsealorder.h"
#include "mime/arc/arcsignatures.h"
#include "mime/errors.h"
#include "mime/object.h"

#include <stdexcept>

using namespace Kestrava::Mime;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text = exactCopy(data, size);
    std::unique_ptr<Object> message;
    try
    {
        message.reset(new Object(text.get(), size));
    }
    catch (const std::exception&)
    {
        return 0;
    }
    try
    {
        ArcSealOrder order(message->header);
        if (order.size() > ArcSealOrder::highest) __builtin_trap();
    }
    catch (const std::runtime_error&)
    {
        // A chain that cannot be ordered.
    }
    ArcSignatures signatures(*message);
    if (signatures.error.empty())
    {
        if (signatures.seals.size() != signatures.sets()) __builtin_trap();
        for (size_t i = 0; i < signatures.seals.size(); ++i)
            if (signatures.seals[i].instance != static_cast<int>(i + 1)) __builtin_trap();
    }
    return 0;
}
