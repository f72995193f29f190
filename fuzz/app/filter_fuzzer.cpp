// Filters a document by a filter list from the input: the list, newline, the
// document. The one-pass copy must refuse what the tree refused and write
// what the tree wrote, unless the copy without a filter already differs from
// the tree's text: repeated names (the tree kept one member) and "-0" (the
// tree wrote "0").

#include "app/filter.h"
#include "app/filterpass.h"
#include "tests/app/treefilter.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace
{

std::string onePass(const std::string& list, std::string_view document)
{
    Filter filter(list);
    FilterPass pass(filter);
    std::string output;
    return pass.copy(document, output) ? output : "invalid";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t newline = input.find('\n');
    if (newline == std::string_view::npos) return 0;
    std::string list(input.substr(0, newline));
    std::string_view document = input.substr(newline + 1);
    std::string copied;
    try
    {
        copied = onePass(list, document);
    }
    catch (const std::runtime_error&)
    {
        return 0;
    }
    const std::string tree = TreeFilter::filtered(list, document);
    if ((copied == "invalid") != (tree == "invalid")) __builtin_trap();
    if (onePass("", document) != TreeFilter::filtered("", document)) return 0;
    if (copied != tree) __builtin_trap();
    return 0;
}
