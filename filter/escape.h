#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/// Writes an escape character before every byte of a set (the NUL byte
/// always counts as one), as quoted strings need before "\\" and "\"".
class Escape : public Filter
{
public:
    /// `set` is NUL-terminated, not owned, and must outlive the stage.
    Escape(Result* next, const char* set, char escape) : Filter(next), _set(set), _escape(escape) {}

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

private:
    const char* _set;
    char _escape;
};

} // namespace Filter
} // namespace Kestrava
