#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// The charset'language' head of an RFC 2231 extended value.
class ParamCharset
{
public:
    /// Throws std::runtime_error "no charset found" or "no language found".
    explicit ParamCharset(const std::string& value);
    virtual ~ParamCharset() = default;

    const std::string& name() const { return _name; }
    /// Where the percent-encoded text starts.
    size_t textStart() const { return _textStart; }

private:
    std::string _name;
    size_t _textStart = 0;
};

} // namespace Mime
} // namespace Kestrava
