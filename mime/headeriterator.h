#pragma once

#include "mime/encodable.h"
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
 * stands on whatever line then has that index.
 */
class HeaderIterator : public Encodable
{
public:
    HeaderIterator(const Header* header, size_t index, const String& name = String())
        : header(header), index(index), name(name)
    {
    }

    bool valid() const;
    const Line& operator*() const;
    const Line* operator->() const { return &**this; }
    const Key& key() const { return (**this).key(); }
    const Value& value() const { return (**this).value(); }

    /// The next line (of the name, when restricted); at least one step.
    HeaderIterator& operator++();
    /// Steps only from a valid position; returns the old one.
    HeaderIterator operator++(int);

    bool operator==(const HeaderIterator& other) const { return index == other.index; }
    bool operator!=(const HeaderIterator& other) const { return index != other.index; }

    using Encodable::encode;
    /// Writes the line at the position.
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    const Header* header;
    size_t index;
    String name;
};

/// The same from the last line backwards: index 0 is the last line.
class ReverseHeaderIterator : public Encodable
{
public:
    ReverseHeaderIterator(const Header* header, size_t index, const String& name = String())
        : header(header), index(index), name(name)
    {
    }

    bool valid() const;
    const Line& line() const;
    const Line& operator*() const { return line(); }
    const Line* operator->() const { return &line(); }
    const Key& key() const { return line().key(); }
    const Value& value() const { return line().value(); }

    ReverseHeaderIterator& operator++();
    ReverseHeaderIterator operator++(int);

    bool operator==(const ReverseHeaderIterator& other) const { return index == other.index; }
    bool operator!=(const ReverseHeaderIterator& other) const { return index != other.index; }

    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;

    const Header* header;
    size_t index;
    String name;
};

} // namespace Mime
} // namespace Kestrava
