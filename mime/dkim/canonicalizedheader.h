#pragma once

#include "mime/capabilities.h"
#include "mime/dkim/dkimheaderfields.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

class Line;

/// The canonical text of the signed header lines (RFC 6376 3.4.1, 3.4.2):
/// the lines joined by CR LF, no CR LF after the last.
class CanonicalizedHeader
{
public:
    CanonicalizedHeader(const Capabilities& capabilities, bool simple)
        : capabilities(capabilities), simple(simple)
    {
    }
    virtual ~CanonicalizedHeader() = default;
    /// Adds the line as it is written for the capabilities.
    void add(const Line& line);
    /// Adds the text of one line (name, colon, value, folds; its ending
    /// line break is dropped), recording `name` in the field list.
    void add(const std::string& name, const char* data, size_t size);
    /// The relaxed form of one header line.
    static std::string relaxed(const char* data, size_t size);

    Capabilities capabilities;
    bool simple;
    std::string output;
    size_t lines = 0;
    DkimHeaderFields fields;
};

} // namespace Mime
} // namespace Kestrava
