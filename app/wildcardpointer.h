#pragma once

#include "json/pointer.h"
#include "json/value.h"

#include <cstddef>
#include <string>
#include <vector>

/**
 * A JSON pointer in which a token "*" stands for every element of an array.
 * On an object or a scalar "*" matches nothing: it never steps into members.
 */
class WildcardPointer
{
public:
    /// Parses one pointer; throws std::runtime_error "Invalid JSON pointer"
    /// for non-empty text that does not begin with "/".
    WildcardPointer(const char* text, size_t size);
    virtual ~WildcardPointer() = default;

    /**
     * Appends to matches a plain pointer for every place this pointer names
     * in document, in document order (ascending index for each "*", the
     * deeper "*" inside an element before the next element). With dash,
     * every array index is written as "-". Adds nothing and answers false
     * when matches is not empty on entry; otherwise whether any was found.
     */
    bool find(const Kestrava::JSON::Value& document, std::vector<Kestrava::JSON::Pointer>& matches,
              bool dash = false) const;

    /// The search from token `depth` on inside value: appends the rest of
    /// each matching path, escaped as pointer text, to texts.
    bool find_recursive(const Kestrava::JSON::Value& value, size_t depth,
                        std::vector<std::string>& texts, bool dash) const;

private:
    Kestrava::JSON::Pointer _pointer;
    bool _wildcard;
};
