#pragma once

#include <getopt.h>

#include <map>
#include <string>
#include <vector>

namespace Kestrava {
namespace Toolbox {

/**
 * The option table handed to getopt_long_only() for one parse: the value
 * options (each requiring an argument), then the switches, then the
 * all-zero terminator. The table points into names of its own, so it stays
 * valid however the option maps change during the parse.
 */
class GetOpt
{
public:
    GetOpt(const std::map<std::string, std::string>& values,
           const std::map<std::string, bool>& switches);

    GetOpt(const GetOpt&) = delete;
    GetOpt& operator=(const GetOpt&) = delete;

    virtual ~GetOpt() = default;

    /// The table, terminated by an all-zero entry.
    const option* table() const { return _table.data(); }

private:
    std::vector<std::string> _names;
    std::vector<option> _table;
};

} // namespace Toolbox
} // namespace Kestrava
