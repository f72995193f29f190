#include "toolbox/detail/getopt.h"

namespace Kestrava {
namespace Toolbox {

GetOpt::GetOpt(const std::map<std::string, std::string>& values,
               const std::map<std::string, bool>& switches)
{
    // All names are stored before any entry points at them: a growing
    // vector of strings may move short names to new storage.
    _names.reserve(values.size() + switches.size());
    for (const auto& value : values) _names.push_back(value.first);
    for (const auto& flag : switches) _names.push_back(flag.first);

    _table.reserve(_names.size() + 1);
    for (size_t index = 0; index < _names.size(); ++index)
    {
        int argument = index < values.size() ? required_argument : no_argument;
        _table.push_back(option{_names[index].c_str(), argument, nullptr, 0});
    }
    _table.push_back(option{nullptr, 0, nullptr, 0});
}

} // namespace Toolbox
} // namespace Kestrava
