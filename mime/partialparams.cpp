#include "mime/partialparams.h"

#include "mime/paramcharset.h"
#include "mime/paramdecoder.h"
#include "mime/params.h"

#include <strings.h>

#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

std::shared_ptr<Param> PartialParams::take(const std::string& name, unsigned section)
{
    for (auto it = _sections.begin(); it != _sections.end(); ++it)
    {
        const std::string& other = (*it)->name();
        if ((*it)->key().section() != section || other.size() != name.size()) continue;
        if (strncasecmp(other.data(), name.data(), name.size()) != 0) continue;
        std::shared_ptr<Param> found = *it;
        _sections.erase(it);
        return found;
    }
    return nullptr;
}

void PartialParams::join()
{
    while (true)
    {
        std::shared_ptr<Param> first;
        for (auto it = _sections.begin(); it != _sections.end(); ++it)
            if ((*it)->key().section() == 0)
            {
                first = *it;
                _sections.erase(it);
                break;
            }
        if (!first) break;
        if (first->key().extended())
            decode(first);
        else
        {
            std::string text = first->value().text();
            for (unsigned n = 1; auto next = take(first->name(), n); ++n)
                text += next->value().text();
            first->value().set(std::move(text));
        }
        _target->append(first);
    }
    _sections.clear();
}

void PartialParams::decode(const std::shared_ptr<Param>& first)
{
    // A failing charset keeps what was decoded before the failure.
    std::string decoded;
    try
    {
        const std::string& raw = first->value().text();
        ParamCharset charset(raw);
        ParamDecoder decoder(charset.name(), &decoded);
        decoder.decode(raw.data() + charset.textStart(), raw.size() - charset.textStart());
        for (unsigned n = 1; auto next = take(first->name(), n); ++n)
        {
            const std::string& text = next->value().text();
            if (next->key().extended())
                decoder.decode(text.data(), text.size());
            else
                decoder.append(text);
        }
    }
    catch (const std::runtime_error&)
    {
    }
    first->value().set(std::move(decoded));
}

} // namespace Mime
} // namespace Kestrava
