#pragma once

#include <string>

namespace Kestrava
{
namespace JSON
{
class Value;
}
} // namespace Kestrava

/// The document as the endpoint receives it: compact JSON text.
std::string compact(const Kestrava::JSON::Value& document);
