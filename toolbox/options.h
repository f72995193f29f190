#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Kestrava {
namespace Toolbox {

/**
 * Long options filled from the command line, the environment and a
 * configuration file, in whatever order the program reads them; a later
 * source overwrites what an earlier one set.
 *
 * Value options carry a text; switches are only on or off, and once on
 * they stay on. Every option has one name that serves all three sources.
 * parse(argc, argv) uses the global state of getopt_long_only(): it must
 * not run on two threads at once.
 */
class Options
{
public:
    /// Declares one value option per name of the null-terminated array.
    explicit Options(const char** names);

    /// The same, plus one switch per name of the second null-terminated array.
    Options(const char** names, const char** switches);

    virtual ~Options() = default;

    /**
     * Reads the command line. Options are long only, with one dash or two,
     * the value after '=' or as the next argument, any unambiguous prefix
     * of a name accepted. False on an undeclared option, a missing value or
     * a value given to a switch; every option that could be matched is
     * applied all the same. The caller's argv is left in its order.
     */
    bool parse(int argc, const char** argv);

    /**
     * Reads the variables PREFIX_NAME, upper-cased with '-' as '_'. An empty
     * variable sets a value option to "" and turns a switch on; "0" and
     * "false" leave a switch as it was. Never fails. A variable whose name
     * begins with PREFIX_ in any case and that is no option's is kept in
     * unknownVariables().
     */
    bool parseEnv(const char* prefix);

    /// Reads a configuration file (see ConfigFile); false, changing nothing,
    /// when the file cannot be read. A key that is no option's name (names
    /// match exactly, case included) is kept in unknownKeys(), the numbers
    /// of the lines that set nothing (an empty key included) in
    /// skippedLines().
    bool parse(const char* path);
    bool parse(const std::string& path) { return parse(path.c_str()); }

    /// The names the configuration files and the environment gave that no
    /// declared option has, as they wrote them; their values are never kept.
    /// A program tells its user of them: a misspelt name is otherwise
    /// silently without effect.
    const std::set<std::string>& unknownKeys() const { return _unknownKeys; }
    const std::set<std::string>& unknownVariables() const { return _unknownVariables; }
    /// The numbers of the lines of the last configuration file read that
    /// set nothing and are neither blank nor a comment.
    const std::vector<size_t>& skippedLines() const { return _skippedLines; }

    /// Whether some source set the option; this is how a switch is tested.
    bool contains(const std::string& name) const { return _given.count(name) > 0; }
    bool contains(const char* name) const { return contains(std::string(name)); }

    /// The value of a declared value option, empty when no source set it or
    /// when the name is not a declared value option.
    const std::string& get(const std::string& name) const;
    const std::string& get(const char* name) const { return get(std::string(name)); }

    /// The value when a source set this value option (even to ""), else the
    /// fallback.
    std::string get(const std::string& name, const std::string& fallback) const;
    std::string get(const std::string& name, const char* fallback) const
    {
        return get(name, std::string(fallback));
    }
    std::string get(const char* name, const std::string& fallback) const
    {
        return get(std::string(name), fallback);
    }
    std::string get(const char* name, const char* fallback) const
    {
        return get(std::string(name), std::string(fallback));
    }

    /// The non-option arguments of the command line, in order.
    size_t argc() const { return _arguments.size(); }

    /// Argument `index`, empty when out of range.
    const std::string& arg(unsigned int index) const;

private:
    /// Sets every declared option for which the source has a text (null:
    /// none); a switch is turned on by anything but "0" or "false".
    void apply(const std::function<const char*(const std::string&)>& lookup);

    std::set<std::string> _given;
    std::map<std::string, std::string> _values;
    std::map<std::string, bool> _switches;
    std::vector<std::string> _arguments;
    std::set<std::string> _unknownKeys;
    std::set<std::string> _unknownVariables;
    std::vector<size_t> _skippedLines;
};

} // namespace Toolbox
} // namespace Kestrava
