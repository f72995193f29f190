#pragma once

namespace Kestrava
{
namespace Mime
{

class Key;

namespace detail
{

/// Whether a DKIM signature covers the field without being asked to; an
/// ARC message signature covers the same fields and the DKIM signatures.
bool signedByDefault(const Key& name);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
