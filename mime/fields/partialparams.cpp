#include "mime/fields/partialparams.h"

#include "mime/detail/ctype.h"
#include "mime/fields/paramcharset.h"
#include "mime/fields/paramdecoder.h"
#include "mime/fields/params.h"

#include <algorithm>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

void PartialParams::add(std::shared_ptr<Param> section, bool strict, std::string raw)
{
    if (!strict) _lenient.insert(section.get());
    _raw[section.get()] = std::move(raw);
    _sections.push_back(std::move(section));
}

void PartialParams::chain(const std::shared_ptr<Param>& section)
{
    if (_lenient.count(section.get()) > 0) _chainLenient = true;
    _chain.push_back(_raw[section.get()]);
}

std::shared_ptr<Param> PartialParams::take(Param& first, unsigned section)
{
    auto found = _held.find({detail::lowered(first.name()), section});
    if (found == _held.end() || found->second.empty()) return nullptr;
    std::shared_ptr<Param> taken = found->second.front();
    found->second.pop_front();
    chain(taken);
    first.surround(*taken);
    return taken;
}

void PartialParams::join()
{
    std::vector<std::shared_ptr<Param>> firsts;
    for (const auto& section : _sections)
    {
        unsigned number = section->key().section();
        if (number == 0)
            firsts.push_back(section);
        else
            _held[{detail::lowered(section->name()), number}].push_back(section);
    }
    // The values looked up join first, as if the first sections that only a
    // lenient read takes were not there, as strict readers read them; the
    // list keeps the order they came in.
    std::vector<std::shared_ptr<Param>> order = firsts;
    std::stable_partition(order.begin(), order.end(), [this](const auto& first)
                          { return _lenient.count(first.get()) == 0; });
    std::map<const Param*, std::pair<bool, std::vector<std::string>>> joined;
    for (const auto& first : order)
    {
        _chainLenient = false;
        _chain.clear();
        chain(first);
        if (first->key().extended() || extendedFollows(*first))
            decode(first);
        else
        {
            ParamValue& value = first->value();
            // Joined, even of one section, the value is no token as read.
            value.append(ParamValue(std::string()));
            for (unsigned n = 1; auto next = take(*first, n); ++n)
                value.append(next->value());
        }
        joined[first.get()] = {_chainLenient, std::move(_chain)};
    }
    for (const auto& first : firsts)
    {
        auto& [lenient, sections] = joined[first.get()];
        if (lenient)
            _target->keepJoined(first);
        else
        {
            _target->append(first);
            _target->keepSections(first.get(), std::move(sections));
        }
    }
    std::set<const Param*> left;
    for (const auto& held : _held)
        for (const auto& section : held.second)
            left.insert(section.get());
    for (const auto& section : _sections)
        if (left.count(section.get()) > 0)
            _target->keepSection(*section, std::move(_raw[section.get()]));
    _sections.clear();
    _held.clear();
    _lenient.clear();
    _raw.clear();
    _chain.clear();
}

bool PartialParams::extendedFollows(const Param& first) const
{
    for (unsigned n = 1;; ++n)
    {
        auto found = _held.find({detail::lowered(first.name()), n});
        if (found == _held.end() || found->second.empty()) return false;
        if (found->second.front()->key().extended()) return true;
    }
}

void PartialParams::decode(const std::shared_ptr<Param>& first)
{
    // A failing charset keeps what was decoded before the failure.
    std::string decoded;
    try
    {
        const std::string& raw = first->value().text();
        // A plain first section names no charset: the escapes of the
        // extended sections after it give bytes, as readers take them.
        bool extended = first->key().extended();
        std::string charset = "unknown-8bit";
        size_t start = 0;
        if (extended)
        {
            ParamCharset head(raw);
            charset = head.name();
            start = head.textStart();
        }
        ParamDecoder decoder(charset, &decoded);
        if (extended)
            decoder.decode(raw.data() + start, raw.size() - start);
        else
            decoder.append(raw);
        for (unsigned n = 1; auto next = take(*first, n); ++n)
        {
            const std::string& text = next->value().text();
            if (next->key().extended())
                decoder.decode(text.data(), text.size());
            else
                decoder.append(text);
        }
        decoder.finish();
    }
    catch (const std::runtime_error&)
    {
    }
    first->value().set(std::move(decoded));
}

} // namespace Mime
} // namespace Kestrava
