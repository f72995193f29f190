// Reads arbitrary bytes as an Authentication-Results value, strictly and
// leniently: nothing but std::runtime_error may escape, and what parses is
// written and parses again to the same results.
#include "fuzz/mime/support.h"
#include "mime/authresults/authenticationresults.h"

#include <stdexcept>

using Kestrava::Mime::AuthenticationResult;
using Kestrava::Mime::AuthenticationResults;

namespace
{

/// Methods, words, reasons and the written properties.
std::string summary(const AuthenticationResults& results)
{
    std::string text = results.authservId + "/" + std::to_string(results.version);
    for (const AuthenticationResult& result : results.results)
    {
        text += "|" + result.method + "/" + std::to_string(result.version) + "=" + result.result +
                "(" + result.reason + ")";
        for (const auto& property : result.properties)
            if (property.kind != 0 && !property.text.empty())
                text += " " + property.ptype + "." + property.property + "=" + property.text;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> text = exactCopy(data, size);
    for (bool strict : {true, false})
    {
        std::string written;
        std::string before;
        try
        {
            AuthenticationResults results(text.get(), size, strict);
            written = results.str(true);
            before = summary(results);
        }
        catch (const std::runtime_error&)
        {
            continue;
        }
        try
        {
            AuthenticationResults again(written.data(), written.size(), strict);
            if (summary(again) != before) __builtin_trap();
        }
        catch (const std::runtime_error&)
        {
            // What was read must read again once written.
            __builtin_trap();
        }
    }
    return 0;
}
