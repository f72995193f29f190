#pragma once

#include "filter/hexencode.h"

namespace Kestrava
{
namespace Filter
{

/// The percent-escaping of RFC 2231 parameter values: HexEncode that also
/// escapes the blank and the characters that are special in parameters.
class Rfc2231 : public HexEncode
{
public:
    explicit Rfc2231(Result* next) : HexEncode(next, " *'%()<>@,;:\\\"/[]?=") {}
};

} // namespace Filter
} // namespace Kestrava
