#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace Kestrava
{
namespace Dns
{

/**
 * A hash table from texts, compared ignoring ASCII letter case, to values.
 *
 * The hash runs over the text from its last byte to its first, so that the
 * hashes of all tails of a name come out of one pass from its end: extend()
 * a tail's hash by the bytes in front of it. Open addressing with linear
 * probing; the texts are views that must outlive the table.
 */
template <typename Value> class TextTable
{
public:
    static constexpr uint64_t emptyHash = 14695981039346656037ull;

    static unsigned char lower(char byte)
    {
        auto value = static_cast<unsigned char>(byte);
        return static_cast<unsigned>(value - 'A') < 26u ? value + ('a' - 'A') : value;
    }

    /// The hash of a text that has `byte` in front of the text of `hash`.
    static uint64_t extend(uint64_t hash, char byte)
    {
        return (hash ^ lower(byte)) * 1099511628211ull;
    }

    static uint64_t hash(std::string_view text)
    {
        uint64_t result = emptyHash;
        for (size_t index = text.size(); index > 0; --index)
            result = extend(result, text[index - 1]);
        return result;
    }

    /// The value of `text`, a default one added when there is none.
    Value& operator[](std::string_view text)
    {
        if ((_used + 1) * 2 > _slots.size()) grow();
        uint64_t textHash = hash(text);
        Slot& slot = _slots[position(textHash, text)];
        if (slot.text.data() == nullptr)
        {
            slot = Slot{textHash, text, Value()};
            ++_used;
        }
        return slot.value;
    }

    /// The value of `text` whose hash() is `textHash`, or null.
    const Value* find(uint64_t textHash, std::string_view text) const
    {
        if (_slots.empty()) return nullptr;
        const Slot& slot = _slots[position(textHash, text)];
        return slot.text.data() != nullptr ? &slot.value : nullptr;
    }

private:
    struct Slot
    {
        uint64_t hash = 0;
        std::string_view text;
        Value value = Value();
    };

    static bool equal(std::string_view first, std::string_view second)
    {
        if (first.size() != second.size()) return false;
        for (size_t index = 0; index < first.size(); ++index)
            if (lower(first[index]) != lower(second[index])) return false;
        return true;
    }

    /// The slot of `text`, or the empty slot where it would go.
    size_t position(uint64_t textHash, std::string_view text) const
    {
        size_t mask = _slots.size() - 1;
        for (size_t index = textHash & mask;; index = (index + 1) & mask)
        {
            const Slot& slot = _slots[index];
            if (slot.text.data() == nullptr || (slot.hash == textHash && equal(slot.text, text)))
                return index;
        }
    }

    void grow()
    {
        std::vector<Slot> old(std::max<size_t>(64, _slots.size() * 2));
        old.swap(_slots);
        for (Slot& slot : old)
            if (slot.text.data() != nullptr)
                _slots[position(slot.hash, slot.text)] = std::move(slot);
    }

    std::vector<Slot> _slots;
    size_t _used = 0;
};

} // namespace Dns
} // namespace Kestrava
