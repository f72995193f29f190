#pragma once

#include "mime/string.h"

namespace Kestrava
{
namespace Mime
{

/// A text that is to become a display name as it is, without parsing.
class Internal : public String
{
public:
    using String::String;
};

} // namespace Mime
} // namespace Kestrava
