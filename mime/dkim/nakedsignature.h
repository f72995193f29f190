#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

class Line;

/// A signature value, or a whole signature line, without its b= value.
class NakedSignature
{
public:
    NakedSignature(const char* data, size_t size);
    /// The line as stored, name and folds included, less its b= value: the
    /// signature's own line in the text that its b= signs.
    explicit NakedSignature(const Line& line);
    virtual ~NakedSignature() = default;
    std::string text;
};

} // namespace Mime
} // namespace Kestrava
