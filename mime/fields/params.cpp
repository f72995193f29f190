#include "mime/fields/params.h"

#include "filter/hexencode.h"
#include "filter/linelength.h"
#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/detail/skip.h"
#include "mime/empty.h"
#include "mime/fields/partialparams.h"
#include "mime/fields/whitespace.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The size of the text without its trailing white space.
size_t trimmed(const char* data, size_t size)
{
    while (size > 0 && detail::isSpace(data[size - 1]))
        --size;
    return size;
}

/// The CFWS at the start; an unfinished comment ends the list, so it counts
/// as the rest of the text.
size_t skipBlanks(const char* data, size_t size)
{
    try
    {
        return Whitespace(data, size, true).consumed();
    }
    catch (const std::runtime_error&)
    {
        return size;
    }
}

/// The section that a lenient read takes from the whole item; empty for
/// anything else. The item counts as it goes to a 7-bit receiver, its
/// comments with 8-bit bytes as encoded words: a lenient value reads on
/// into a comment glued to it up to white space or a ";", which an encoded
/// word may take in or add, and the item would read as another written.
std::shared_ptr<Param> lenientSection(const char* data, size_t size)
{
    std::string written;
    Filter::String sink(&written);
    detail::writeComments(std::string(data, trimmed(data, size)), false, &sink);
    try
    {
        auto param = std::make_shared<Param>(written.data(), written.size(), false);
        if (param->key().sectioned() && param->consumed() == written.size()) return param;
    }
    catch (const std::runtime_error&)
    {
    }
    return nullptr;
}

/// Whether a section can go as it came: printable ASCII that a strict
/// read takes whole.
bool plainSection(const std::string& raw)
{
    for (char c : raw)
        if (c != '\t' && (c < ' ' || c > '~')) return false;
    try
    {
        return Param(raw.data(), raw.size(), true).consumed() == raw.size();
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

/// Whether a strict read takes the text as one item: a quote or comment
/// that only a lenient value took in, left open, would take in the items
/// written after it.
bool standsAlone(const std::string& raw)
{
    std::string probe = raw + ";";
    return detail::skipItem(probe.data(), probe.size(), ";") == raw.size();
}

/// The section written again with its name and number: an extended value
/// with its specials escaped (a "%" already is one), a plain one quoted.
std::string rewritten(const Param& section)
{
    const std::string& value = section.value().raw();
    std::string text = section.name() + "*" + std::to_string(section.key().section());
    if (section.key().extended())
    {
        text += "*=";
        Filter::String sink(&text);
        Filter::HexEncode(&sink, " *'()<>@,;:\\\"/[]?=").process(value.data(), value.size(), true);
        return text;
    }
    text += "=\"";
    for (char c : value)
    {
        if (c == '"' || c == '\\') text += '\\';
        text += c;
    }
    return text + "\"";
}

} // namespace

Params::Params(const char* data, size_t size, bool strict)
{
    PartialParams sections(this);
    size_t position = 0;
    while (true)
    {
        size_t blanks = skipBlanks(data + position, size - position);
        std::string comments = detail::commentsIn(data + position, blanks);
        position += blanks;
        if (position == size)
        {
            // Comments after the last ";" stay, where a reader passes them.
            if (!comments.empty()) keepSkipped(data + position, 0, true, comments);
            break;
        }
        // A parameter ends at the next ";": what a strict read leaves of it
        // stays with it, and the list goes on after it, as readers read on.
        size_t item = detail::skipItem(data + position, size - position, ";");
        try
        {
            auto param = std::make_shared<Param>(data + position, item, strict);
            param->surround(comments, data + position + param->consumed(),
                            item - param->consumed());
            // A section goes back as it came only without such text.
            if (param->key().sectioned())
                sections.add(param, true,
                             std::string(data + position, trimmed(data + position, item)));
            else
                append(param);
        }
        catch (const std::runtime_error&)
        {
            if (auto section = lenientSection(data + position, item))
                sections.add(section, false,
                             std::string(data + position, trimmed(data + position, item)));
            else
                keepSkipped(data + position, item, position + item == size, comments);
        }
        position += item;
        if (position + 1 >= size) break;
        ++position;
    }
    sections.join();
}

void Params::keepSkipped(const char* data, size_t size, bool last, const std::string& comments)
{
    size = trimmed(data, size);
    if (size == 0 && comments.empty()) return;
    // The last item may hold an unfinished quoted string or comment, which
    // would swallow whatever came after it.
    Skipped skipped{last ? SIZE_MAX : _params.size(), {}, nullptr, {}};
    try
    {
        ParamKey key(data, size);
        skipped.name.assign(data, key.nameLength());
        // A section goes back as it came: written as a parameter, it would
        // lose its number.
        skipped.section = key.sectioned();
        auto param = std::make_shared<Param>(data, size, false);
        param->surround(comments, data + param->consumed(), size - param->consumed());
        if (!skipped.section) skipped.param = param;
    }
    catch (const std::runtime_error&)
    {
        // Not even a lenient parameter: its text is kept as it came.
    }
    if (!skipped.param)
    {
        skipped.raw = comments.empty() ? std::string() : comments.substr(1);
        if (!skipped.raw.empty() && size > 0) skipped.raw += ' ';
        skipped.raw.append(data, size);
    }
    _skipped.push_back(std::move(skipped));
}

void Params::keepJoined(std::shared_ptr<Param> param)
{
    std::string name = param->name();
    keepLate(Skipped{0, std::move(name), std::move(param), {}});
}

void Params::keepSection(const Param& section, std::string raw)
{
    if (!standsAlone(raw)) raw = rewritten(section);
    keepLate(Skipped{0, section.name(), nullptr, std::move(raw), true});
}

void Params::keepSections(const Param* param, std::vector<std::string> raw)
{
    for (const std::string& section : raw)
        if (!plainSection(section)) return;
    _sections[param] = Sections{param->value().text(), std::move(raw)};
}

void Params::keepLate(Skipped skipped)
{
    size_t before = _params.size();
    skipped.before = before;
    auto place = std::find_if(_skipped.begin(), _skipped.end(),
                              [before](const Skipped& other) { return other.before > before; });
    _skipped.insert(place, std::move(skipped));
}

std::shared_ptr<Param> Params::parameter(const char* name) const
{
    if (name == nullptr) return nullptr;
    size_t length = std::strlen(name);
    for (const auto& param : _params)
    {
        const std::string& other = param->name();
        if (other.size() == length && strncasecmp(other.data(), name, length) == 0) return param;
    }
    return nullptr;
}

const std::string& Params::get(const char* name) const
{
    std::shared_ptr<Param> param = parameter(name);
    return param ? param->value().text() : empty_string();
}

bool Params::set(const char* name, const std::string& value)
{
    if (name != nullptr)
        _skipped.erase(std::remove_if(_skipped.begin(), _skipped.end(),
                                      [name](const Skipped& skipped)
                                      { return strcasecmp(skipped.name.c_str(), name) == 0; }),
                       _skipped.end());
    if (std::shared_ptr<Param> param = parameter(name))
    {
        param->value().set(value);
        return true;
    }
    try
    {
        append(std::make_shared<Param>(name, value));
        return true;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

bool Params::set(const char* name, const char* value)
{
    return set(name, std::string(value));
}

std::set<std::string> Params::shared() const
{
    std::set<std::string> seen;
    std::set<std::string> shared;
    auto note = [&](const std::string& name)
    {
        std::string lowered = detail::lowered(name);
        if (!seen.insert(lowered).second) shared.insert(lowered);
    };
    for (const auto& param : _params)
        note(param->name());
    for (const Skipped& skipped : _skipped)
        if (skipped.section)
            shared.insert(detail::lowered(skipped.name));
        else if (skipped.param)
            note(skipped.param->name());
    return shared;
}

template <typename Sink>
size_t Params::write(const Param& param, const std::set<std::string>& shared,
                     const Capabilities& capabilities, Sink* output, bool final) const
{
    size_t written = output->append("; ", 2, true);
    if (shared.count(detail::lowered(param.name())) == 0)
        return written + param.encode(capabilities, output, final);
    // Split, its sections would mix with the others of its name.
    auto sections = _sections.find(&param);
    if (sections == _sections.end() || sections->second.value != param.value().text())
        return written + param.encodeWhole(capabilities, output);
    // Its own sections keep what every reader joins of the name.
    for (size_t i = 0; i < sections->second.raw.size(); ++i)
    {
        if (i > 0) written += output->append("; ", 2, true);
        const std::string& raw = sections->second.raw[i];
        written += output->append(raw.data(), raw.size(), final);
    }
    return written;
}

template <typename Sink>
size_t Params::write(const Skipped& skipped, const std::set<std::string>& shared,
                     const Capabilities& capabilities, Sink* output, bool final) const
{
    if (skipped.param) return write(*skipped.param, shared, capabilities, output, final);
    size_t written = output->append("; ", 2, true);
    return written + detail::writeComments(skipped.raw, capabilities.allowsUtf8, output);
}

template <typename Sink>
size_t Params::write(const Capabilities& capabilities, Sink* output, bool final) const
{
    std::set<std::string> names = shared();
    size_t written = 0;
    auto skipped = _skipped.begin();
    for (size_t i = 0; i < _params.size(); ++i)
    {
        for (; skipped != _skipped.end() && skipped->before <= i; ++skipped)
            written += write(*skipped, names, capabilities, output, final);
        written += write(*_params[i], names, capabilities, output, final);
    }
    for (; skipped != _skipped.end(); ++skipped)
        written += write(*skipped, names, capabilities, output, final);
    return written;
}

size_t Params::encode(const Capabilities& capabilities, Filter::Result* output, bool final) const
{
    return write(capabilities, output, final);
}

size_t Params::encode(const Capabilities& capabilities, Filter::LineLength* output,
                      bool final) const
{
    return write(capabilities, output, final);
}

} // namespace Mime
} // namespace Kestrava
