#pragma once

#include <deque>
#include <iterator>
#include <memory>

namespace Kestrava
{
namespace Mime
{

class Object;

/// A position among the parts of a multipart body. The parts are shared
/// with every copy of the body, so a part reached here may be changed.
class BodyIterator
{
public:
    using Position = std::deque<std::shared_ptr<Object>>::const_iterator;
    using iterator_category = std::forward_iterator_tag;
    using value_type = Object;
    using difference_type = std::ptrdiff_t;
    using pointer = Object*;
    using reference = Object&;

    explicit BodyIterator(Position position) : _position(position) {}

    Object& operator*() const { return **_position; }
    Object* operator->() const { return _position->get(); }
    BodyIterator& operator++()
    {
        ++_position;
        return *this;
    }
    BodyIterator operator++(int)
    {
        BodyIterator old = *this;
        ++_position;
        return old;
    }
    bool operator==(const BodyIterator& other) const { return _position == other._position; }
    bool operator!=(const BodyIterator& other) const { return _position != other._position; }

private:
    Position _position;
};

} // namespace Mime
} // namespace Kestrava
