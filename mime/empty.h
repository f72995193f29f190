#pragma once

#include <string>

namespace Kestrava
{
namespace Mime
{

class Value;

/// The shared empty text, built once on first use.
const std::string& empty_string();

/// The shared empty value that lookups give for an absent field.
const Value& empty_value();

} // namespace Mime
} // namespace Kestrava
