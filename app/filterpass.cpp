#include "app/filterpass.h"

#include "app/filter.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t none = std::numeric_limits<size_t>::max();
constexpr size_t every = none - 1;

} // namespace

FilterPass::FilterPass(const Filter& filter) : _filter(&filter) {}

bool FilterPass::copy(std::string_view document, std::string& output)
{
    restart();
    return _copier.copy(document, output, this) && output != "null";
}

void FilterPass::restart()
{
    _reaches.clear();
    _removed.clear();
    _levels.clear();
    const std::vector<WildcardPointer>& pointers = _filter->pointers();
    for (size_t pointer = 0; pointer < pointers.size(); ++pointer)
        if (pointers[pointer].removes()) _reaches.push_back({uint32_t(pointer), 0, none});
    _levels.push_back({0, 0, false, false});
}

FilterPass::Verdict FilterPass::member(std::string_view name)
{
    const size_t begin = _levels.back().begin, end = _reaches.size();
    for (size_t index = begin; index < end; ++index)
    {
        const Reach reach = _reaches[index];
        const std::vector<WildcardPointer::Step>& steps = _filter->pointers()[reach.pointer].steps();
        const WildcardPointer::Step& step = steps[reach.depth];
        if (step.wildcard || step.name != name) continue;
        if (reach.depth + 1 == steps.size())
        {
            _reaches.resize(end);
            return leaveOut;
        }
        _reaches.push_back({reach.pointer, reach.depth + 1, none});
    }
    return descend(end);
}

FilterPass::Verdict FilterPass::element(size_t index)
{
    Level& level = _levels.back();
    if (!level.mapped) map(level);
    if (level.emptied || removed(level, index)) return leaveOut;
    const size_t end = _reaches.size();
    for (size_t position = level.begin; position < end; ++position)
    {
        const Reach reach = _reaches[position];
        if (reach.target == index || reach.target == every)
            _reaches.push_back({reach.pointer, reach.depth + 1, none});
    }
    return descend(end);
}

void FilterPass::leave()
{
    const Level level = _levels.back();
    _levels.pop_back();
    _reaches.resize(level.begin);
    _removed.resize(level.removedBegin);
}

FilterPass::Verdict FilterPass::descend(size_t begin)
{
    if (_reaches.size() == begin) return keep;
    _levels.push_back({begin, _removed.size(), false, false});
    return watch;
}

void FilterPass::map(Level& level)
{
    level.mapped = true;
    for (size_t position = level.begin; position < _reaches.size() && !level.emptied; ++position)
    {
        Reach& reach = _reaches[position];
        const std::vector<WildcardPointer::Step>& steps = _filter->pointers()[reach.pointer].steps();
        const WildcardPointer::Step& step = steps[reach.depth];
        const bool last = reach.depth + 1 == steps.size();
        if (step.wildcard)
        {
            // A last "*" takes every element: nothing is left for the rest.
            level.emptied = last;
            reach.target = last ? none : every;
            continue;
        }
        if (step.index < 0) continue;
        const size_t original = survivor(level, size_t(step.index));
        if (!last)
        {
            reach.target = original;
            continue;
        }
        _removed.insert(std::upper_bound(_removed.begin() + ptrdiff_t(level.removedBegin),
                                         _removed.end(), original),
                        original);
    }
}

bool FilterPass::removed(const Level& level, size_t index) const
{
    return std::binary_search(_removed.begin() + ptrdiff_t(level.removedBegin), _removed.end(),
                              index);
}

size_t FilterPass::survivor(const Level& level, size_t nth) const
{
    size_t original = nth;
    for (size_t position = level.removedBegin; position < _removed.size(); ++position)
    {
        if (_removed[position] > original) break;
        ++original;
    }
    return original;
}
