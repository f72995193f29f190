#pragma once

#include "json/pointer.h"
#include "json/value.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace Kestrava {
namespace JSON {

/**
 * An ordered list of edits by pointer, run by Value::apply with the
 * operations of RFC 6902.
 */
class Patch
{
public:
    /// One edit: from serves move and copy, value serves add, replace and
    /// test. A code outside the list is skipped.
    struct Operation
    {
        enum Code : int32_t
        {
            add = 0,
            remove = 1,
            replace = 2,
            move = 3,
            copy = 4,
            test = 5
        };

        Code code;
        Pointer path;
        Pointer from;
        Value value;
    };

    Patch() = default;
    explicit Patch(std::vector<Operation> operations) : _operations(std::move(operations)) {}

    const std::vector<Operation>& operations() const { return _operations; }

private:
    std::vector<Operation> _operations;
};

} // namespace JSON
} // namespace Kestrava
