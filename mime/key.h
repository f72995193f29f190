#pragma once

#include "mime/string.h"

#include <initializer_list>

namespace Kestrava
{
namespace Mime
{

/// A header field name.
class Key : public IString
{
public:
    using IString::IString;
    Key(const String& name) : IString(name.data, name.size) {}

    /// Whether any of the names equals this one (same length, ignoring
    /// case); the first hit ends the scan.
    bool matches(std::initializer_list<const char*> names) const;
};

} // namespace Mime
} // namespace Kestrava
