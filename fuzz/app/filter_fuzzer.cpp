// Filters a document by a filter list from the input: the list, newline, the
// document. Nothing may crash or leak; the result must still be JSON, and the
// last pointer, when it names a member (or every element of an array), must
// name nothing afterwards.

#include "app/compact.h"
#include "app/filter.h"
#include "json/pointer.h"
#include "json/tokenizer.h"
#include "json/value.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace
{

/// Whether removing what the pointer names leaves nothing it could name:
/// not an index or "-" (later elements move up), not the empty pointer.
bool removesAll(const std::string& text)
{
    Kestrava::JSON::Pointer pointer(text.data(), text.size());
    if (pointer.parts().empty()) return false;
    const std::string& last = pointer.parts().back().token();
    return last == "*" ||
           (last != "-" && last.find_first_not_of("0123456789") != std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t newline = input.find('\n');
    if (newline == std::string_view::npos) return 0;
    std::string list(input.substr(0, newline));
    Kestrava::JSON::Tokenizer tokenizer;
    Kestrava::JSON::Value document = tokenizer.parse(input.substr(newline + 1));
    if (document.object() == nullptr) return 0;
    try
    {
        Filter filter(list);
        filter.apply(document);
    }
    catch (const std::runtime_error&)
    {
        return 0;
    }
    if (tokenizer.parse(compact(document)).object() == nullptr && compact(document) != "null")
        abort();
    std::string last = list.substr(list.rfind(' ') + 1);
    if (!removesAll(last)) return 0;
    std::vector<Kestrava::JSON::Pointer> matches;
    if (WildcardPointer(last.data(), last.size()).find(document, matches)) abort();
    return 0;
}
