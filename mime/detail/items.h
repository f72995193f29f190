#pragma once

#include "mime/fields/delimdetector.h"
#include "mime/detail/skip.h"

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/**
 * Reads a comma-separated list of items, each parsed leniently over the
 * rest of the text and followed by one of the `enders` or the end. A bad
 * item fails a strict list and is skipped up to the next ender otherwise,
 * which `skipped` then tells. The list ends at an ender other than the
 * comma. Returns the bytes taken.
 */
template <typename Item>
size_t parseItems(const char* data, size_t size, bool strict, const char* enders,
                  std::vector<std::shared_ptr<Item>>* items, bool* skipped = nullptr)
{
    DelimDetector detector(
        [&](const char* text, size_t length) -> size_t
        {
            if (inList(enders, text[0])) return 0;
            try
            {
                auto item = std::make_shared<Item>(text, length, false);
                size_t taken = item->consumed();
                if (taken < length && !inList(enders, text[taken]))
                    throw std::runtime_error("characters left behind target");
                items->push_back(item);
                return taken;
            }
            catch (const std::runtime_error&)
            {
                if (strict) throw;
                if (skipped != nullptr) *skipped = true;
                return skipItem(text, length, enders);
            }
        },
        ',');
    return detector.parse(data, size);
}

/// Writes the items joined by ", " into the sink, each in the sink's form.
template <typename Item, typename Sink>
size_t writeItems(const std::vector<std::shared_ptr<Item>>& items, const Capabilities& capabilities,
                  Sink* output, bool final)
{
    size_t written = 0;
    for (size_t i = 0; i < items.size(); ++i)
    {
        if (i > 0) written += output->append(", ", 2, true);
        written += items[i]->encode(capabilities, output, final);
    }
    return written;
}

/// Whether every item can be written for the receiver.
template <typename Item>
bool encodableItems(const std::vector<std::shared_ptr<Item>>& items,
                    const Capabilities& capabilities)
{
    for (const auto& item : items)
        if (!item->encodable(capabilities)) return false;
    return true;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
