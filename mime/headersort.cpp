#include "mime/object.h"

#include <algorithm>

namespace Kestrava
{
namespace Mime
{

Object::ExtHeader&
Object::ExtHeader::sort(const std::function<bool(const Line&, const Line&)>& less)
{
    std::sort(_lines.begin(), _lines.end(), less);
    return *this;
}

Object::ExtHeader&
Object::ExtHeader::sort(const Key& key, const std::function<bool(const Value&, const Value&)>& less)
{
    std::vector<size_t> places;
    std::vector<Line> lines;
    for (size_t i = 0; i < _lines.size(); ++i)
        if (_lines[i].key() == key)
        {
            places.push_back(i);
            lines.push_back(_lines[i]);
        }
    std::sort(lines.begin(), lines.end(),
              [&less](const Line& first, const Line& second)
              { return less(first.value(), second.value()); });
    for (size_t i = 0; i < places.size(); ++i)
        _lines[places[i]] = lines[i];
    return *this;
}

} // namespace Mime
} // namespace Kestrava
