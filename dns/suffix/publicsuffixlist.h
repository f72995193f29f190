#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Dns
{

/// The Public Suffix List as published, with a NUL byte in place of every
/// line end (so the last byte is a NUL); made at build time.
extern const char src_public_suffix_list_dat[];

/// Its length in bytes, the last NUL included.
extern const size_t src_public_suffix_list_dat_size;

} // namespace Dns
} // namespace Kestrava
