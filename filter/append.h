#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/// Passes everything through; its destructor writes a fixed text last.
class Append : public Filter
{
public:
    /// `text` is NUL-terminated, not owned, and must outlive the chain.
    Append(Result* next, const char* text);
    ~Append() override;

private:
    const char* _text;
    size_t _length;
};

} // namespace Filter
} // namespace Kestrava
