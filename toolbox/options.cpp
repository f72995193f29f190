#include "toolbox/options.h"

#include "toolbox/configfile.h"
#include "toolbox/detail/emptystring.h"
#include "toolbox/detail/getopt.h"

#include <getopt.h>
#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace Kestrava {
namespace Toolbox {

namespace {

/// PREFIX_NAME with '-' as '_' and every other character upper-cased.
std::string variableName(const char* prefix, const std::string& name)
{
    std::string variable = std::string(prefix) + "_" + name;
    for (char& character : variable)
    {
        character = character == '-'
                        ? '_'
                        : static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    }
    return variable;
}

} // namespace

Options::Options(const char** names) : Options(names, nullptr) {}

Options::Options(const char** names, const char** switches)
{
    for (auto name = names; name != nullptr && *name != nullptr; ++name) _values.emplace(*name, "");
    for (auto name = switches; name != nullptr && *name != nullptr; ++name)
        _switches.emplace(*name, false);
}

bool Options::parse(int argc, const char** argv)
{
    GetOpt getopt(_values, _switches);

    // getopt_long_only() moves non-option arguments behind the options as
    // it goes; it works on a copy of the pointers so that the caller's argv
    // keeps its order. The texts themselves are never written to.
    std::vector<char*> arguments;
    arguments.reserve(argc + 1);
    for (int index = 0; index < argc; ++index) arguments.push_back(const_cast<char*>(argv[index]));
    arguments.push_back(nullptr);

    // optind 0 makes glibc forget all scanning state of an earlier parse,
    // including a half-read argument that pointed into another argv.
    opterr = 0;
    optind = 0;

    bool result = true;
    while (true)
    {
        int index = -1;
        int code = getopt_long_only(argc, arguments.data(), "", getopt.table(), &index);
        if (code == -1) break;

        // '?' and ':' stand for an undeclared option, a value missing after
        // a value option or a value given to a switch; the rest goes on.
        if (code == '?' || code == ':' || index < 0)
        {
            result = false;
            continue;
        }

        std::string name = getopt.table()[index].name;
        if (optarg != nullptr)
            _values[name] = optarg;
        else
            _switches[name] = true;
        _given.insert(name);
    }

    for (int index = optind; index < argc; ++index) _arguments.emplace_back(arguments[index]);
    return result;
}

bool Options::parseEnv(const char* prefix)
{
    std::set<std::string> known;
    apply(
        [prefix, &known](const std::string& name)
        {
            std::string variable = variableName(prefix, name);
            known.insert(variable);
            return std::getenv(variable.c_str());
        });

    // Only the names: a value may hold a password.
    std::string start = variableName(prefix, "");
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        if (strncasecmp(*entry, start.c_str(), start.size()) != 0) continue;
        std::string variable(*entry, std::strcspn(*entry, "="));
        if (known.count(variable) == 0) _unknownVariables.insert(variable);
    }
    return true;
}

bool Options::parse(const char* path)
{
    ConfigFile file;
    if (!file.parse(path)) return false;

    // Lines holding NUL bytes are skipped, so no value is cut short here.
    apply([&file](const std::string& name) {
        return file.exists(name) ? file.get(name).c_str() : nullptr;
    });
    for (const auto& entry : file.values())
        if (!entry.first.empty() && _values.count(entry.first) == 0 &&
            _switches.count(entry.first) == 0)
            _unknownKeys.insert(entry.first);
    _skippedLines = file.skippedLines();
    return true;
}

void Options::apply(const std::function<const char*(const std::string&)>& lookup)
{
    for (auto& value : _values)
    {
        const char* text = lookup(value.first);
        if (text == nullptr) continue;
        value.second = text;
        _given.insert(value.first);
    }
    for (auto& flag : _switches)
    {
        const char* text = lookup(flag.first);
        if (text == nullptr || std::strcmp(text, "0") == 0 || std::strcmp(text, "false") == 0)
            continue;
        flag.second = true;
        _given.insert(flag.first);
    }
}

const std::string& Options::get(const std::string& name) const
{
    auto found = _values.find(name);
    return found != _values.end() ? found->second : emptyString();
}

std::string Options::get(const std::string& name, const std::string& fallback) const
{
    auto found = _values.find(name);
    if (found == _values.end() || !contains(name)) return fallback;
    return found->second;
}

const std::string& Options::arg(unsigned int index) const
{
    return index < _arguments.size() ? _arguments[index] : emptyString();
}

} // namespace Toolbox
} // namespace Kestrava
