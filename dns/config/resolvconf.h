#pragma once

#include "dns/message/ip.h"

#include <string>
#include <vector>

namespace DNS
{

/// The resolver configuration file (resolv.conf): name servers, search
/// list and the timing options. Knows a strict subset of the usual format;
/// in strict mode a line it does not know is an error, otherwise skipped.
class ResolvConf
{
public:
    /// Throws "<path>: failed to open file" when the file cannot be read and,
    /// in strict mode, "<path>: <reason>" for the first bad line.
    ResolvConf(const char* path, bool strict);

    /// In file order; 127.0.0.1 when the file gives none.
    const std::vector<Ip>& nameservers() const { return _nameservers; }
    const Ip& nameserver(size_t index) const { return _nameservers.at(index); }
    const std::vector<std::string>& searchpaths() const { return _searchpaths; }
    const std::string& searchpath(size_t index) const { return _searchpaths.at(index); }
    /// Seconds, at most 30.
    unsigned timeout() const { return _timeout; }
    /// At most 5.
    unsigned attempts() const { return _attempts; }
    bool rotate() const { return _rotate; }
    /// At most 15.
    unsigned char ndots() const { return _ndots; }

private:
    void parse(const std::string& line);
    void option(const std::string& token);

    std::vector<Ip> _nameservers;
    std::vector<std::string> _searchpaths;
    unsigned _timeout = 5;
    unsigned _attempts = 2;
    bool _rotate = false;
    unsigned char _ndots = 1;
};

} // namespace DNS
