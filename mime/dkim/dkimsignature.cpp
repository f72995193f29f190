#include "mime/dkim/dkimsignature.h"

#include "filter/linelength.h"
#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/fields/comment.h"
#include "mime/detail/wrapped.h"
#include "mime/dkim/dkimtags.h"
#include "mime/empty.h"
#include "mime/header.h"
#include "mime/fields/quotedstring.h"
#include "mime/fields/whitespace.h"

#include <strings.h>

#include <algorithm>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// An error in one tag, with the offset where the failing piece began.
class TagError : public std::runtime_error
{
public:
    TagError(const std::exception& error, size_t position)
        : std::runtime_error(error.what()), position(position)
    {
    }
    size_t position;
};

class DuplicateNames : public std::runtime_error
{
public:
    DuplicateNames() : std::runtime_error("duplicate names") {}
};

size_t fws(const char* data, size_t size)
{
    return Whitespace(data, size, false).consumed();
}

/// The offset of the next ";" (or NUL, or the end), passing over comments
/// and quoted strings whole.
size_t skipTag(const char* data, size_t size, size_t position)
{
    while (position < size && data[position] != ';' && data[position] != '\0')
    {
        try
        {
            if (data[position] == '(')
                position +=
                    std::max<size_t>(1, Comment(data + position, size - position).consumed());
            else if (data[position] == '"')
                position +=
                    std::max<size_t>(1, QuotedString(data + position, size - position).consumed());
            else
                ++position;
        }
        catch (const std::runtime_error&)
        {
            return size;
        }
    }
    return position;
}

} // namespace

DkimSignature::DkimSignature(const char* data, size_t size, bool strict, bool domainOnly)
    : _text(data, size)
{
    size_t position = 0;
    while (position < size)
    {
        try
        {
            position = parseTag(data, size, position, strict);
        }
        catch (const TagError& error)
        {
            if (_tags.empty() && error.position >= size) throw std::runtime_error(error.what());
            if (strict && error.position < size) throw std::runtime_error("dkim header is invalid");
            position = skipTag(data, size, error.position);
        }
        if (position >= size) break;
        if (data[position] != ';')
        {
            if (strict) throw std::runtime_error("missing ;");
            // A lenient reading keeps what came before.
            return;
        }
        ++position;
    }
    finish(strict, domainOnly);
}

DkimSignature DkimSignature::unreadable(const char* data, size_t size)
{
    DkimSignature signature;
    signature._text.assign(data, size);
    signature._readable = false;
    return signature;
}

size_t DkimSignature::parseTag(const char* data, size_t size, size_t position, bool strict)
{
    size_t piece = position;
    try
    {
        position += fws(data + position, size - position);
        piece = position;
        std::string name;
        position += DkimTagName(name, data + position, size - position).size;
        // No name (the text does not start with a letter) is no tag, "=" or not.
        if (name.empty()) throw std::runtime_error("missing =");
        // A tag given twice, h= and z= included, makes the whole list invalid
        // (RFC 6376 3.2): verifiers must not disagree on which one counts.
        if (std::find(_order.begin(), _order.end(), name) != _order.end())
        {
            _tags.clear();
            throw DuplicateNames();
        }
        position += fws(data + position, size - position);
        piece = position;
        if (position >= size || data[position] != '=') throw std::runtime_error("missing =");
        ++position;
        position += fws(data + position, size - position);
        piece = position;
        if (name == "h")
        {
            _headers = DkimHeaderFields(data + position, size - position);
            position += _headers.size;
        }
        else if (name == "z")
            position += DkimCopiedHeaderFields(_copied, data + position, size - position).size;
        else
        {
            std::string value;
            position += DkimTagValue(name, value, data + position, size - position, strict).size;
            _tags[name] = value;
        }
        _order.push_back(name);
        return position + fws(data + position, size - position);
    }
    catch (const DuplicateNames&)
    {
        throw;
    }
    catch (const std::exception& error)
    {
        // std::out_of_range and the like included: nothing escapes untyped.
        throw TagError(error, piece);
    }
}

void DkimSignature::finish(bool strict, bool domainOnly)
{
    // Runs at every end of the tag list: a trailing ";" is optional
    // (RFC 6376 3.2), and i= must not go unread for lack of one.
    auto auid = _tags.find("i");
    if (!domainOnly && auid != _tags.end())
        _auid = auid->second;
    else
        _auid = "@" + _tags["d"];
    if (strict && !domainOnly && !complete()) throw std::runtime_error("header is incomplete");
}

const std::string& DkimSignature::tag(const char* name) const
{
    auto found = _tags.find(name);
    return found == _tags.end() ? empty_string() : found->second;
}

void DkimSignature::set(const std::string& name, std::string value)
{
    // A changed signature is no longer the text it was read from.
    _text.clear();
    _tags[name] = std::move(value);
    if (std::find(_order.begin(), _order.end(), name) == _order.end()) _order.push_back(name);
}

void DkimSignature::report(bool value)
{
    if (value)
    {
        set("r", "y");
        return;
    }
    _text.clear();
    _tags.erase("r");
    _order.erase(std::remove(_order.begin(), _order.end(), "r"), _order.end());
}

void DkimSignature::headers(const char* data, size_t size, bool twice)
{
    _text.clear();
    _headers = DkimHeaderFields(data, size);
    if (twice)
    {
        // A verifier takes the instances of a name bottom-up as h= names it
        // (RFC 6376 5.4.2), so the extra naming, which stands for the empty
        // instance, must follow the last naming of its field; after a run
        // it would take an instance that is named later in the list. The
        // field of this signature is left out: the new line goes above the
        // others and an extra naming would take the signature itself.
        std::vector<std::string> names;
        const std::vector<std::string>& old = _headers.names;
        Key own = key();
        for (size_t i = 0; i < old.size(); ++i)
        {
            names.push_back(old[i]);
            auto same = [&](const std::string& name)
            { return strcasecmp(name.c_str(), old[i].c_str()) == 0; };
            if (std::none_of(old.begin() + i + 1, old.end(), same) && !(own == old[i].c_str()))
                names.push_back(old[i]);
        }
        _headers.names = names;
    }
    if (std::find(_order.begin(), _order.end(), "h") == _order.end()) _order.push_back("h");
}

bool DkimSignature::complete() const
{
    for (const char* name : {"v", "a", "b", "bh", "d", "s"})
    {
        auto found = _tags.find(name);
        if (found == _tags.end() || found->second.empty()) return false;
    }
    return !_headers.names.empty();
}

Key DkimSignature::key() const
{
    return Key("DKIM-Signature");
}

const Value& DkimSignature::original(const Header& header) const
{
    Key name = key();
    // The line it was read from, found without parsing every signature of
    // the header again for each one verified.
    if (!_text.empty())
        for (const Line& line : header)
            if (line.key() == name && line.value().size == _text.size() &&
                _text.compare(0, _text.size(), line.value().data, line.value().size) == 0)
                return line.value();
    for (const Line& line : header)
    {
        if (!(line.key() == name)) continue;
        try
        {
            DkimSignature parsed(line.value().data, line.value().size, true, false);
            if (parsed._tags == _tags) return line.value();
        }
        catch (const std::exception&)
        {
            // Another signature that does not parse.
        }
    }
    return empty_value();
}

size_t DkimSignature::encode(const Capabilities& capabilities, Filter::Result* output,
                             bool final) const
{
    size_t written = 0;
    for (size_t i = 0; i < _order.size(); ++i)
    {
        const std::string& name = _order[i];
        if (i > 0) written += output->append("; ", 2, true);
        written += output->append(name.data(), name.size(), final);
        written += output->append("=", 1, true);
        if (name == "h")
            written += _headers.encode(capabilities, output, final);
        else if (name == "z")
        {
            for (size_t k = 0; k < _copied.size(); ++k)
            {
                // The name stands raw; only the value is quoted-printable.
                const std::string& field = _copied[k];
                size_t colon = field.find(':');
                if (k > 0) written += output->append("|", 1, true);
                written += output->append(field.data(), colon + 1, false);
                written += output->append(DkimQuotedCharacter::encode(field.substr(colon + 1)));
            }
        }
        else if (name == "q")
            written += output->append(DkimQuotedCharacter::encode(_tags.at(name)));
        else
        {
            const std::string& value = _tags.at(name);
            written += output->append(value.data(), value.size(), final);
        }
    }
    return written;
}

size_t DkimSignature::encode(const Capabilities& capabilities, Filter::LineLength* output,
                             bool final) const
{
    return detail::wrapped(*this, capabilities, output, final);
}

size_t DkimSignature::encode(const Capabilities& capabilities, Filter::WordWrap* output,
                             bool final) const
{
    return encode(capabilities, static_cast<Filter::Result*>(output), final);
}

} // namespace Mime
} // namespace Kestrava
