#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Mime
{

/**
 * The name of a parameter with its RFC 2231 suffix: "*" (extended), "*n"
 * (section n) or "*n*" (extended section n), each followed by "=" (blanks
 * and comments may stand between). Any other "*" belongs to the name.
 */
class ParamKey
{
public:
    /// Throws std::runtime_error "invalid parameter key" for an empty name.
    ParamKey(const char* data, size_t size);
    virtual ~ParamKey() = default;

    /// The name without the suffix.
    size_t nameLength() const { return _nameLength; }
    bool sectioned() const { return _sectioned; }
    bool extended() const { return _extended; }
    unsigned section() const { return _section; }
    /// Up to, not including, the "=".
    size_t consumed() const { return _consumed; }

private:
    /// Takes the suffix that starts at the "*" at `star`; false when there
    /// is none.
    bool suffix(const char* data, size_t size, size_t star);

    size_t _nameLength = 0;
    bool _sectioned = false;
    bool _extended = false;
    unsigned _section = 0;
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
