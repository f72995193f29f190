#include "toolbox/configfile.h"

#include "toolbox/detail/emptystring.h"

#include <regex.h>
#include <stdio.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace Kestrava {
namespace Toolbox {

namespace {

bool blank(char character)
{
    return std::isspace(static_cast<unsigned char>(character)) != 0;
}

/// The compiled line expression, freed with the object.
class LineExpression
{
public:
    LineExpression()
    {
        // Not anchored: the leftmost key before a separator counts.
        if (regcomp(&_expression, "\\s*([^ :=]*)\\s*[:=]\\s*(.*)\\s*", REG_EXTENDED | REG_ICASE) !=
            0)
        {
            throw std::runtime_error("cannot compile the configuration line expression");
        }
    }

    LineExpression(const LineExpression&) = delete;
    LineExpression& operator=(const LineExpression&) = delete;

    ~LineExpression() { regfree(&_expression); }

    /// Reads a key and its value from a line; false when the line has none.
    bool match(const std::string& line, std::string& key, std::string& value) const
    {
        size_t separator = line.find_first_of(":=");
        if (separator == std::string::npos) return false;

        // Searching the whole line tries every start before the leftmost
        // match, each scanning up to the separator: hours for a long line
        // of garbage. Where that match must start is known in one pass.
        size_t start = matchStart(line, separator);
        regmatch_t groups[3];
        if (regexec(&_expression, line.c_str() + start, 3, groups, 0) != 0) return false;
        key.assign(line, start + groups[1].rm_so, groups[1].rm_eo - groups[1].rm_so);
        value.assign(line, start + groups[2].rm_so, groups[2].rm_eo - groups[2].rm_so);
        value.erase(value.find_last_not_of(" \n\r\t") + 1);
        return true;
    }

private:
    /**
     * The leftmost match uses the first separator, and what precedes it must
     * be blanks, a key without spaces, blanks. So it starts at the run of
     * blanks holding the last space before the blanks ahead of the
     * separator, or at the beginning of a line without such a space.
     */
    static size_t matchStart(const std::string& line, size_t separator)
    {
        size_t trailing = separator;
        while (trailing > 0 && blank(line[trailing - 1])) --trailing;
        if (trailing == 0) return 0;

        size_t start = line.find_last_of(' ', trailing - 1);
        if (start == std::string::npos) return 0;
        while (start > 0 && blank(line[start - 1])) --start;
        return start;
    }

    regex_t _expression;
};

struct FileCloser
{
    void operator()(FILE* file) const { fclose(file); }
};

/// The buffer that getline() grows as it needs, freed with the object.
struct LineBuffer
{
    LineBuffer() = default;
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;
    ~LineBuffer() { std::free(_data); }

    char* _data = nullptr;
    size_t _capacity = 0;
};

} // namespace

ConfigFile::ConfigFile(const std::string& path) { parse(path); }

bool ConfigFile::parse(const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "re"));
    if (file == nullptr)
    {
        _error = "File " + path + " could not be opened";
        return false;
    }

    LineExpression expression;
    std::map<std::string, std::string> values;
    std::vector<size_t> skipped;
    size_t number = 0;
    std::string key;
    std::string value;

    // getline() grows its buffer to hold a whole line, however long, so a
    // long line can never cut the reading short.
    LineBuffer buffer;
    ssize_t length;
    while ((length = getline(&buffer._data, &buffer._capacity, file.get())) >= 0)
    {
        std::string line(buffer._data, length);
        ++number;
        if (std::all_of(line.begin(), line.end(), blank) || line[0] == '#' || line[0] == ';')
            continue;

        std::replace(line.begin(), line.end(), '\t', ' ');
        // A NUL byte would end the text that the expression sees, so such a
        // line could only be read cut short: it is garbage and skipped.
        bool read = line.find('\0') == std::string::npos && expression.match(line, key, value);
        if (read) values[key] = value;
        // The empty key of "= value" is no name a program could declare or
        // report: the line sets nothing.
        if (!read || key.empty()) skipped.push_back(number);
    }

    // A directory opens but cannot be read; nor can a file on a failing disk.
    if (ferror(file.get()))
    {
        _error = "File " + path + " could not be read";
        return false;
    }

    _values = std::move(values);
    _skippedLines = std::move(skipped);
    _error.clear();
    return true;
}

const std::string& ConfigFile::get(const std::string& key) const
{
    auto found = _values.find(key);
    return found != _values.end() ? found->second : emptyString();
}

} // namespace Toolbox
} // namespace Kestrava
