#pragma once

// The filter as the service once applied it, to a parsed document: each
// pointer's matches found in the tree, then removed, pointer after pointer.
// The reference that the one-pass copy must agree with.

#include "json/function.h"
#include "json/pointer.h"
#include "json/value.h"
#include "tests/json/helpers.h"

#include <string>
#include <string_view>
#include <vector>

namespace TreeFilter {

/// The places pointer names in value from token depth on, as pointer texts.
inline void find(const Kestrava::JSON::Value& value, const Kestrava::JSON::Pointer& pointer,
                 size_t depth, const std::string& path, std::vector<std::string>& found)
{
    using namespace Kestrava::JSON;
    const std::vector<Pointer::Part>& parts = pointer.parts();
    if (depth == parts.size())
    {
        found.push_back(path);
        return;
    }
    const Pointer::Part& part = parts[depth];
    if (part.token() != "*")
    {
        if (!part.match(value)) return;
        std::string token;
        for (char c : part.token())
            token += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
        find(part.apply(value), pointer, depth + 1, path + "/" + token, found);
        return;
    }
    if (function::get_type(value.object()) != fjson_type_array) return;
    for (int index = 0; index < function::array_length(value.object()); ++index)
        find(Value(function::get(function::array_get_idx(value.object(), index))), pointer,
             depth + 1, path + "/" + std::to_string(index), found);
}

/// The document filtered by the blank-separated pointers, compact; "invalid"
/// when the document is no JSON or JSON null.
inline std::string filtered(const std::string& filter, std::string_view document)
{
    using Kestrava::JSON::Pointer;
    const Kestrava::JSON::Value value = JsonTest::parse(document);
    if (value.object() == nullptr) return "invalid";
    size_t start = 0;
    for (size_t end = 0; !filter.empty() && start <= filter.size(); start = end + 1)
    {
        end = std::min(filter.find(' ', start), filter.size());
        std::vector<std::string> found;
        find(value, Pointer(filter.substr(start, end - start)), 0, "", found);
        // The last match first: removing an element moves the later ones down.
        for (auto match = found.rbegin(); match != found.rend(); ++match)
            value.remove(Pointer(*match));
    }
    return JsonTest::compact(value);
}

} // namespace TreeFilter
