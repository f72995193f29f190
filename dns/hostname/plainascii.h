#pragma once

#include <string_view>

namespace Kestrava
{
namespace Dns
{

/// Whether every byte of the text is ASCII, so that the text is its own
/// IDNA ASCII form unless it holds "xn--" labels.
inline bool isPlainAscii(std::string_view text)
{
    for (char byte : text)
        if ((static_cast<unsigned char>(byte) & 0x80) != 0) return false;
    return true;
}

} // namespace Dns
} // namespace Kestrava
