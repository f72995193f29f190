#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Mime
{

/// The local part of an address, decoded: atoms (encoded words in them
/// decoded) and quoted strings joined by dots.
class LocalPart
{
public:
    /// Throws std::runtime_error "empty local part", "invalid local part"
    /// or the errors of the tokens.
    LocalPart(const char* data, size_t size);
    virtual ~LocalPart() = default;

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    /// Whether raw bytes from 0x80 came in, so that only a UTF-8 peer
    /// takes it as it is.
    bool nonAscii() const { return _nonAscii; }

private:
    std::string _text;
    size_t _consumed = 0;
    bool _nonAscii = false;
};

} // namespace Mime
} // namespace Kestrava
