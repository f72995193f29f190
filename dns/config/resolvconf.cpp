#include "dns/config/resolvconf.h"

#include "dns/config/localdomain.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <strings.h>

namespace DNS
{

namespace
{

/// The rest of the line when it starts with the keyword (any letter case)
/// followed by white space; null otherwise.
const char* keyword(const std::string& line, const char* word)
{
    size_t size = strlen(word);
    if (line.size() <= size || strncasecmp(line.c_str(), word, size) != 0) return nullptr;
    if (!isspace(static_cast<unsigned char>(line[size]))) return nullptr;
    const char* rest = line.c_str() + size;
    while (isspace(static_cast<unsigned char>(*rest)))
        ++rest;
    return rest;
}

/// The number after an option's colon, clamped; false for a negative number,
/// which the unsigned settings cannot hold.
bool number(const std::string& token, size_t prefix, unsigned long maximum, unsigned long& result)
{
    const char* digits = token.c_str() + prefix;
    if (strchr(digits, '-')) return false;
    result = std::min(strtoul(digits, nullptr, 10), maximum);
    return true;
}

} // namespace

ResolvConf::ResolvConf(const char* path, bool strict)
{
    std::ifstream file(path);
    if (!file) throw std::runtime_error(std::string(path) + ": failed to open file");
    std::string line;
    while (std::getline(file, line))
    {
        while (!line.empty() && isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        try
        {
            parse(line);
        }
        catch (const std::runtime_error& error)
        {
            if (strict) throw std::runtime_error(std::string(path) + ": " + error.what());
        }
    }
    // resolv.conf(5): with no name server given, the one on this machine.
    if (_nameservers.empty()) _nameservers.emplace_back("127.0.0.1");
    if (!_searchpaths.empty()) return;
    LocalDomain domain;
    if (*domain) _searchpaths.emplace_back(domain);
}

void ResolvConf::parse(const std::string& line)
{
    if (line.empty() || line[0] == ';' || line[0] == '#') return;
    if (const char* rest = keyword(line, "nameserver"))
    {
        _nameservers.emplace_back(rest);
        return;
    }
    if (const char* rest = keyword(line, "options"))
    {
        std::string options(rest);
        size_t start = 0;
        for (size_t space; (space = options.find(' ', start)) != std::string::npos;
             start = space + 1)
            option(options.substr(start, space - start));
        option(options.substr(start));
        return;
    }
    if (const char* rest = keyword(line, "domain"))
        throw std::runtime_error(std::string("not implemented: domain ") + rest);
    if (const char* rest = keyword(line, "search"))
    {
        std::istringstream words(rest);
        _searchpaths.clear();
        for (std::string word; words >> word;)
            _searchpaths.push_back(word);
        return;
    }
    throw std::runtime_error("unrecognized: " + line);
}

void ResolvConf::option(const std::string& token)
{
    unsigned long value;
    if (token == "rotate")
        _rotate = true;
    else if (token.compare(0, 8, "timeout:") == 0 && number(token, 8, 30, value))
        _timeout = static_cast<unsigned>(value);
    else if (token.compare(0, 9, "attempts:") == 0 && number(token, 9, 5, value))
        _attempts = static_cast<unsigned>(value);
    else if (token.compare(0, 6, "ndots:") == 0 && number(token, 6, 15, value))
        _ndots = static_cast<unsigned char>(value);
}

} // namespace DNS
