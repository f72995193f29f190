#include "tests/mime/support/files.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>

namespace Kestrava
{
namespace Test
{

std::vector<std::string> filesIn(const std::string& folder, const std::string& prefix,
                                 const std::string& suffix)
{
    std::vector<std::string> names;
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) return names;
    while (dirent* entry = readdir(directory))
    {
        std::string name = entry->d_name;
        if (name.size() >= prefix.size() + suffix.size() &&
            name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

std::string fileContents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace Test
} // namespace Kestrava
