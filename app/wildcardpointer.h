#pragma once

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
    /// One reference token, as a filtered copy compares it.
    struct Step
    {
        /// The member name it designates, escaped as the copy writes names.
        std::string name;
        /// The array index it designates, or -1 ("-" included).
        int index;
        bool wildcard;
    };

    /// Parses one pointer; throws std::runtime_error "Invalid JSON pointer"
    /// for non-empty text that does not begin with "/", and for a "~" not
    /// followed by "0" or "1" the same naming the pointer, and why.
    WildcardPointer(const char* text, size_t size);
    virtual ~WildcardPointer() = default;

    const std::vector<Step>& steps() const { return _steps; }

    /// Whether removing what it names can remove anything: the empty
    /// pointer names the whole document and a last token "-" no element.
    bool removes() const { return _removes; }

private:
    std::vector<Step> _steps;
    bool _removes;
};
