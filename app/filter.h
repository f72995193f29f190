#pragma once

#include "app/wildcardpointer.h"

#include <string>
#include <vector>

/**
 * The blacklist of the `filter` option: JSON pointers, "*" standing for
 * every array element, whose targets are removed from each document
 * (FilterPass, while it is copied).
 */
class Filter
{
public:
    /// Splits list at every single blank (two blanks give an empty pointer,
    /// which removes nothing). Throws std::runtime_error "Could not parse
    /// filter list: " and the pointer parser's message.
    explicit Filter(const std::string& list);
    virtual ~Filter() = default;

    /// The pointers in the order the option names them.
    const std::vector<WildcardPointer>& pointers() const { return _pointers; }

private:
    std::vector<WildcardPointer> _pointers;
};
