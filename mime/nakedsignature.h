#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// A signature value, or a whole signature line, without its b= value.
class NakedSignature
{
public:
    NakedSignature(const char* data, size_t size);
    virtual ~NakedSignature() = default;
    std::string text;
};

} // namespace Mime
} // namespace Kestrava
