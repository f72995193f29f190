// Reads arbitrary bytes as a DKIM-Signature value, strictly and leniently:
// nothing but std::runtime_error may escape, and what parses strictly is
// written and parses again to the same tags.
#include "fuzz/mime/support.h"
#include "mime/dkim/dkimsignature.h"

#include <stdexcept>

using Kestrava::Mime::DkimSignature;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text = exactCopy(data, size);
    for (bool strict : {true, false})
    {
        try
        {
            DkimSignature signature(text.get(), size, strict, false);
            std::string written = signature.str(true);
            DkimSignature again(written.data(), written.size(), strict, false);
            if (strict && (again.tags() != signature.tags() ||
                           again.copiedHeaders() != signature.copiedHeaders() ||
                           again.headers().names != signature.headers().names))
                __builtin_trap();
        }
        catch (const std::runtime_error&)
        {
            // Rejected input, or a lenient reading that does not come back.
        }
    }
    return 0;
}
