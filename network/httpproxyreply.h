#pragma once

#include <string>

namespace Kestrava
{
namespace Network
{

/// The head of an HTTP proxy's answer to CONNECT, up to and including its
/// empty line; a view valid during the report.
class HttpProxyReply
{
public:
    explicit HttpProxyReply(const std::string& text) : _text(text) {}

    const std::string& text() const { return _text; }

    /// Whether it looks like an HTTP/1 status line with a status.
    bool valid() const;
    /// The status code; 0 when the reply is not valid.
    long status() const;

private:
    const std::string& _text;
};

} // namespace Network
} // namespace Kestrava
