// Reads arbitrary bytes as a Content-Type value and as a parameter list,
// strict and lenient: only std::runtime_error may leave the type parser,
// none the list, and what parses is written and read again to the same
// parameter values at least.

#include "fuzz/mime/support.h"
#include "mime/capabilities.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contenttype.h"
#include "mime/fields/params.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using namespace Kestrava::Mime;

/// A name with a later "*" (kept from a suffix that was none) may read as
/// a suffix when written; it is left out.
bool roundTrips(const Params& params)
{
    for (const auto& param : params.all())
        if (param->name().find('*', 1) != std::string::npos) return false;
    return true;
}

std::vector<std::string> entries(const Params& params)
{
    std::vector<std::string> all;
    for (const auto& param : params.all())
        all.push_back(param->name() + '=' + param->value().text());
    std::sort(all.begin(), all.end());
    return all;
}

void checkRoundTrip(const Params& params)
{
    if (!roundTrips(params)) return;
    std::string text = params.str(false);
    std::unique_ptr<char[]> copy =
        exactCopy(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    // The written list starts with its "; ".
    size_t skip = text.empty() ? 0 : 2;
    Params again(copy.get() + skip, text.size() - skip, true);
    // Joined sections follow the plain parameters, so the order may change;
    // skipped parameters are written back, and a strict read may take them.
    std::vector<std::string> before = entries(params);
    std::vector<std::string> after = entries(again);
    if (!std::includes(after.begin(), after.end(), before.begin(), before.end()))
    {
        std::fprintf(stderr, "written as: ");
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> copy = exactCopy(data, size);
    for (bool strict : {false, true})
    {
        Params params(copy.get(), size, strict);
        checkRoundTrip(params);
        try
        {
            ContentType type(copy.get(), size, strict);
            type.str(false);
            type.defaultName();
        }
        catch (const std::runtime_error&)
        {
        }
    }
    try
    {
        ContentDisposition disposition(copy.get(), size);
        disposition.str(false);
    }
    catch (const std::runtime_error&)
    {
    }
    return 0;
}
