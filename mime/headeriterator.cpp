#include "mime/headeriterator.h"

#include "mime/header.h"

namespace Kestrava
{
namespace Mime
{

namespace
{

bool sameName(const Line& line, const String& name)
{
    return name.data == nullptr || line.key() == name;
}

} // namespace

bool HeaderIterator::valid() const
{
    return index < header->size();
}

const Line& HeaderIterator::operator*() const
{
    return header->line(index);
}

HeaderIterator& HeaderIterator::operator++()
{
    ++index;
    while (valid() && !sameName(**this, name))
        ++index;
    return *this;
}

HeaderIterator HeaderIterator::operator++(int)
{
    HeaderIterator old = *this;
    if (valid()) ++*this;
    return old;
}

size_t HeaderIterator::encode(const Capabilities& capabilities, Filter::Result* output,
                              bool final) const
{
    return (**this).encode(capabilities, output, final);
}

bool ReverseHeaderIterator::valid() const
{
    return index < header->size();
}

const Line& ReverseHeaderIterator::line() const
{
    return header->line(header->size() - 1 - index);
}

ReverseHeaderIterator& ReverseHeaderIterator::operator++()
{
    ++index;
    while (valid() && !sameName(line(), name))
        ++index;
    return *this;
}

ReverseHeaderIterator ReverseHeaderIterator::operator++(int)
{
    ReverseHeaderIterator old = *this;
    if (valid()) ++*this;
    return old;
}

size_t ReverseHeaderIterator::encode(const Capabilities& capabilities, Filter::Result* output,
                                     bool final) const
{
    return line().encode(capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
