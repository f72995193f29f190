#pragma once

#include "mime/string.h"

namespace Kestrava
{
namespace Mime
{

/// A header field body.
class Value : public IString
{
public:
    using IString::IString;
};

} // namespace Mime
} // namespace Kestrava
