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
    /// Whether one of the lines is a Host line.
    bool host() const { return _host; }

    /// Whether a header line is a Host line: named exactly "Host", any case.
    static bool isHostLine(const char* line, size_t size);

private:
    std::string _text;
    bool _host = false;
};

} // namespace Browse
} // namespace Kestrava
