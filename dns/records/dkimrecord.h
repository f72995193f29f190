#pragma once

#include "dns/records/txtrecord.h"

#include <string>

namespace Kestrava
{
namespace Dns
{

/// A DKIM key record (RFC 6376 3.6.1): the tags of a TXT record. An absent
/// tag reads as an empty string; what that means is the DKIM code's call.
class DkimRecord : public TxtRecord
{
public:
    /// Parses answer `index`. Throws what TxtRecord throws; a Mismatch
    /// (TXT as expected and found type) for a record of another version
    /// than "DKIM1"; std::runtime_error for a record that holds a NUL or
    /// gives one of the six tags twice, as those could be read two ways,
    /// or gives k= or s= without a value.
    DkimRecord(const ns_msg* message, int index);

    const std::string& v() const { return _v; }
    const std::string& k() const { return _k; }
    const std::string& s() const { return _s; }
    const std::string& h() const { return _h; }
    const std::string& p() const { return _p; }
    const std::string& t() const { return _t; }

private:
    void parse(const std::string& text);
    /// The field of a tag by its whole name; null for tags that are
    /// ignored.
    std::string* field(const std::string& tag);

    std::string _v;
    std::string _k;
    std::string _s;
    std::string _h;
    std::string _p;
    std::string _t;
};

} // namespace Dns
} // namespace Kestrava
