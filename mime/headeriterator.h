#pragma once

#include "mime/fields/encodable.h"
#include "mime/line.h"
#include "mime/string.h"

namespace Kestrava
{
namespace Mime
{

class Header;

/**
 * A position in a header, optionally restricted to one name (the name's
 * text must outlive the iterator). It holds an index, so after an edit it
 * stands on whatever line then has that index. `Self` gives the direction:
 * its line(header, index) maps the index to the line.
 */
template <typename Self> class BasicHeaderIterator : public Encodable
{
public:
    BasicHeaderIterator(const Header* header, size_t index, const String& name)
        : header(header), index(index), name(name)
    {
    }

    bool valid() const;
    const Line& line() const { return Self::line(*header, index); }
    const Line& operator*() const { return line(); }
    const Line* operator->() const { return &line(); }
    const Key& key() const { return line().key(); }
    const Value& value() const { return line().value(); }

    /// The next line (of the name, when restricted); at least one step.
    Self& operator++();
    /// Steps only from a valid position; returns the old one.
    Self operator++(int);

    bool operator==(const Self& other) const { return index == other.index; }
    bool operator!=(const Self& other) const { return index != other.index; }

    using Encodable::encode;
    /// Writes the line at the position.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    const Header* header;
    size_t index;
    String name;
};

/// From the first line on.
class HeaderIterator : public BasicHeaderIterator<HeaderIterator>
{
public:
    HeaderIterator(const Header* header, size_t index, const String& name = String())
        : BasicHeaderIterator(header, index, name)
    {
    }

    static const Line& line(const Header& header, size_t index);
    using BasicHeaderIterator::line;
};

/// From the last line backwards: index 0 is the last line.
class ReverseHeaderIterator : public BasicHeaderIterator<ReverseHeaderIterator>
{
public:
    ReverseHeaderIterator(const Header* header, size_t index, const String& name = String())
        : BasicHeaderIterator(header, index, name)
    {
    }

    static const Line& line(const Header& header, size_t index);
    using BasicHeaderIterator::line;
};

extern template class BasicHeaderIterator<HeaderIterator>;
extern template class BasicHeaderIterator<ReverseHeaderIterator>;

} // namespace Mime
} // namespace Kestrava
