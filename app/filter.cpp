#include "app/filter.h"

#include "json/value.h"

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

void Filter::apply(const Kestrava::JSON::Value& document) const
{
    for (const WildcardPointer& pointer : _pointers)
    {
        std::vector<Kestrava::JSON::Pointer> matches;
        pointer.find(document, matches);
        // Matches come in document order; removing an array element moves
        // the later ones down, so the last match goes first and every match
        // still names what it named when found ("/list/*" empties the list).
        for (auto match = matches.rbegin(); match != matches.rend(); ++match) document.remove(*match);
    }
}
