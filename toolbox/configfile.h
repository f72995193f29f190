#pragma once

#include <map>
#include <string>
#include <vector>

namespace Kestrava {
namespace Toolbox {

/**
 * A file of "key = value" or "key: value" lines.
 *
 * A line whose first character is '#' or ';' is a comment; tabs count as
 * blanks; the leftmost "key [:=] value" in a line counts (so "a b = c" sets
 * b), later separators belong to the value, and the value loses its
 * trailing blanks, tabs, CR and LF. Lines without a separator and lines
 * holding NUL bytes are skipped, and their numbers kept, as are those of
 * lines with an empty key (which is still read). A repeated key keeps its
 * last value.
 */
class ConfigFile
{
public:
    ConfigFile() = default;

    /// Reads the file at once; the outcome is then known only by error().
    explicit ConfigFile(const std::string& path);

    virtual ~ConfigFile() = default;

    /// Reads the file, replacing what an earlier parse read. False when it
    /// cannot be opened or read; the values of an earlier parse then stay.
    bool parse(const std::string& path);

    bool exists(const std::string& key) const { return _values.count(key) > 0; }

    /// The value of a key, empty for a key that was not read.
    const std::string& get(const std::string& key) const;
    const std::string& operator[](const std::string& key) const { return get(key); }

    const std::map<std::string, std::string>& values() const { return _values; }

    /// The numbers (from 1) of the lines skipped that are neither blank nor
    /// a comment, and of those with an empty key: a mistake, such as a
    /// separator or a name left out, that the program
    /// may report without showing the line, which may hold a password.
    const std::vector<size_t>& skippedLines() const { return _skippedLines; }

    /// Why the last parse failed, empty after a successful one.
    const std::string& error() const { return _error; }

private:
    std::map<std::string, std::string> _values;
    std::vector<size_t> _skippedLines;
    std::string _error;
};

} // namespace Toolbox
} // namespace Kestrava
