#pragma once

#include "mime/capabilities.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

class Body;
class String;

/// The canonical body (RFC 6376 3.4.3, 3.4.4).
class CanonicalizedBody
{
public:
    /// The body as it is written for the capabilities: what a signer sends.
    CanonicalizedBody(const Capabilities& capabilities, const Body& body, bool simple);
    /// The body bytes as received (LF or CR LF line ends): what a verifier
    /// got, whether or not the model would write it back the same.
    CanonicalizedBody(const String& received, bool simple);
    virtual ~CanonicalizedBody() = default;
    const std::string& text() const { return _text; }

private:
    void canonicalize(const char* data, size_t size, bool simple);
    std::string _text;
};

} // namespace Mime
} // namespace Kestrava
