#pragma once

#include <cstddef>
#include <functional>

namespace Kestrava
{
namespace Mime
{

/// Walks a delimited list: empty items and blanks around delimiters are
/// skipped, each item is read by the callback, which returns the bytes it
/// took (0 ends the list); the list ends before anything else.
class DelimDetector
{
public:
    using Item = std::function<size_t(const char* data, size_t size)>;

    DelimDetector(Item item, char delimiter) : _item(std::move(item)), _delimiter(delimiter) {}
    virtual ~DelimDetector() = default;

    /// Walks the list; returns the bytes it took, also added to consumed().
    size_t parse(const char* data, size_t size);

    size_t consumed() const { return _consumed; }

private:
    Item _item;
    char _delimiter;
    size_t _consumed = 0;
};

} // namespace Mime
} // namespace Kestrava
