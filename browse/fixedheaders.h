#pragma once

#include <cstddef>
#include <string>

namespace Kestrava
{
namespace Browse
{

/// The header lines every request of a client carries, verbatim.
class FixedHeaders
{
public:
    virtual ~FixedHeaders() = default;

    /// Appends `line` (without line end) and CR LF.
    void add(const char* line);

    const std::string& text() const { return _text; }
    /// The lines for an origin other than the one they were meant for: no
    /// Authorization, Proxy-Authorization, Cookie or Host line.
    const std::string& foreignText() const { return _foreign; }
    /// Whether one of the lines is a Host line.
    bool host() const { return _host; }

    /// Whether a header line is a Host line: named exactly "Host", any case.
    static bool isHostLine(const char* line, size_t size);

private:
    std::string _text;
    std::string _foreign;
    bool _host = false;
};

} // namespace Browse
} // namespace Kestrava
