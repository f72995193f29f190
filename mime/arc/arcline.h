#pragma once

#include <string>

namespace Kestrava
{
namespace Mime
{

class DkimSignature;

namespace detail
{

/// The text of a new ARC line: the name and the value folded at 78
/// columns, then, when `signature` is not empty, ";" and its b= pieces
/// each on a line of its own; ended by CR LF.
std::string arcLine(const char* name, const std::string& value, const std::string& signature);

/// arcLine of a signed value: its tags before b=, then its b= pieces.
std::string arcLine(const char* name, const DkimSignature& signature);

/// The line up to its empty b=: what a signature signs of itself.
std::string arcHead(const char* name, const std::string& value);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
