#pragma once

namespace Kestrava
{
namespace Mime
{

/// How header and body are canonicalised: simple or relaxed each.
class Canonicalization
{
public:
    Canonicalization(bool headerSimple, bool bodySimple)
        : headerSimple(headerSimple), bodySimple(bodySimple)
    {
    }
    virtual ~Canonicalization() = default;
    /// "simple/simple", "simple/relaxed", "relaxed/simple" or "relaxed/relaxed".
    const char* text() const;
    bool headerSimple;
    bool bodySimple;
};

} // namespace Mime
} // namespace Kestrava
