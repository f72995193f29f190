#pragma once

#include "dns/records/record.h"

#include <string>

namespace Kestrava
{
namespace Dns
{

/// A TXT record (RFC 1035 3.3.14) with its character-strings joined.
class TxtRecord : public Record
{
public:
    /// Parses answer `index` as a TXT record; throws std::runtime_error
    /// "malformed TXT record" when a string runs past the record data.
    TxtRecord(const ns_msg* message, int index);

    /// The strings joined without separators, with every byte they hold
    /// (NULs included).
    const std::string& text() const { return _text; }

private:
    std::string _text;
};

} // namespace Dns
} // namespace Kestrava
