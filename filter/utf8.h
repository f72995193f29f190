#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Filter
{

/// Whether the bytes are well-formed UTF-8 (RFC 3629: no overlong forms, no
/// surrogates, nothing above U+10FFFF), as the charset stages take it: only
/// such text may be labelled UTF-8 when it is written.
bool wellFormedUtf8(const char* data, size_t size);

} // namespace Filter
} // namespace Kestrava
