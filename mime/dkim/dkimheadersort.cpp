// Sorting DKIM-Signature lines by their parsed signatures.
#include "mime/dkim/dkimsignature.h"
#include "mime/object.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

Object::ExtHeader&
Object::ExtHeader::sort(const std::function<bool(const DkimSignature&, const DkimSignature&)>& less)
{
    struct Entry
    {
        Line line;
        std::shared_ptr<DkimSignature> signature;
    };
    std::vector<size_t> places;
    std::vector<Entry> entries;
    for (size_t i = 0; i < _lines.size(); ++i)
    {
        if (!(_lines[i].key() == "dkim-signature")) continue;
        places.push_back(i);
        std::shared_ptr<DkimSignature> signature;
        try
        {
            const Value& value = _lines[i].value();
            signature = std::make_shared<DkimSignature>(value.data, value.size, true, false);
        }
        catch (const std::runtime_error&)
        {
            // Sorted after every signature that parses.
        }
        entries.push_back({_lines[i], signature});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [&less](const Entry& first, const Entry& second)
                     {
                         if (!first.signature || !second.signature)
                             return first.signature && !second.signature;
                         return less(*first.signature, *second.signature);
                     });
    for (size_t i = 0; i < places.size(); ++i)
        _lines[places[i]] = entries[i].line;
    return *this;
}

} // namespace Mime
} // namespace Kestrava
