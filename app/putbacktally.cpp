#include "app/putbacktally.h"

#include <algorithm>

void PutBackTally::add(const std::string& reason)
{
    ++_total;
    // A handful of reasons at most: a search beats a map that would lose
    // their order.
    auto found = std::find_if(_reasons.begin(), _reasons.end(),
                              [&](const auto& entry) { return entry.first == reason; });
    if (found != _reasons.end())
        ++found->second;
    else
        _reasons.emplace_back(reason, 1);
}

std::string PutBackTally::take()
{
    std::string text;
    for (const auto& [reason, count] : _reasons)
        text += (text.empty() ? "" : ", ") + reason + " x" + std::to_string(count);
    _reasons.clear();
    _total = 0;
    return text;
}
