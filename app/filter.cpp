#include "app/filter.h"

#include <stdexcept>

Filter::Filter(const std::string& list)
{
    if (list.empty()) return;
    size_t start = 0;
    while (true)
    {
        size_t end = list.find(' ', start);
        if (end == std::string::npos) end = list.size();
        try
        {
            _pointers.emplace_back(list.data() + start, end - start);
        }
        catch (const std::runtime_error& error)
        {
            throw std::runtime_error(std::string("Could not parse filter list: ") + error.what());
        }
        if (end == list.size()) return;
        start = end + 1;
    }
}
