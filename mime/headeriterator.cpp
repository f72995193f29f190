#include "mime/headeriterator.h"

#include "mime/header.h"

namespace Kestrava
{
namespace Mime
{

template <typename Self> bool BasicHeaderIterator<Self>::valid() const
{
    return index < header->size();
}

template <typename Self> Self& BasicHeaderIterator<Self>::operator++()
{
    ++index;
    while (valid() && name.data != nullptr && !(line().key() == name))
        ++index;
    return static_cast<Self&>(*this);
}

template <typename Self> Self BasicHeaderIterator<Self>::operator++(int)
{
    Self old = static_cast<Self&>(*this);
    if (valid()) ++*this;
    return old;
}

template <typename Self>
size_t BasicHeaderIterator<Self>::encode(const Capabilities& capabilities, Filter::Result* output,
                                         bool final) const
{
    return line().encode(capabilities, output, final);
}

template class BasicHeaderIterator<HeaderIterator>;
template class BasicHeaderIterator<ReverseHeaderIterator>;

const Line& HeaderIterator::line(const Header& header, size_t index)
{
    return header.line(index);
}

const Line& ReverseHeaderIterator::line(const Header& header, size_t index)
{
    return header.line(header.size() - 1 - index);
}

} // namespace Mime
} // namespace Kestrava
