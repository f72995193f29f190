#pragma once

#include <string>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/// The name, ": " and the value of a new signature line, folded by a word
/// wrap at 78 columns; no CR LF at the end.
std::string foldedField(const char* name, const std::string& value);

/// The b= pieces of a PartialSignature text, each on a line of its own:
/// every blank between two pieces becomes a fold.
std::string foldedPieces(const std::string& pieces);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
