#include "mime/fields/param.h"

#include "filter/linelength.h"
#include "mime/capabilities.h"
#include "mime/detail/ctype.h"
#include "mime/detail/headertext.h"
#include "mime/detail/skip.h"
#include "mime/fields/comment.h"
#include "mime/fields/paramsplitter.h"
#include "mime/fields/quotedstring.h"
#include "mime/fields/whitespace.h"

#include <cstring>
#include <optional>
#include <stdexcept>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// Where the value starts: after the key, "=" and the white space and
/// comments around it, whose comments go into `comments`.
size_t valueStart(const char* data, size_t size, const ParamKey& key, std::string& comments)
{
    size_t position = key.consumed();
    size_t blanks = Whitespace(data + position, size - position, true).consumed();
    comments += detail::commentsIn(data + position, blanks);
    position += blanks;
    if (position == size || data[position] != '=') throw std::runtime_error("missing =");
    ++position;
    blanks = Whitespace(data + position, size - position, true).consumed();
    comments += detail::commentsIn(data + position, blanks);
    return position + blanks;
}

/// The key of a name given whole: it must be one name without a suffix.
ParamKey plainKey(const char* name)
{
    if (name == nullptr) throw std::runtime_error("invalid key");
    std::string text = std::string(name) + "=";
    try
    {
        ParamKey key(text.data(), text.size());
        if (key.consumed() + 1 == text.size() && !key.sectioned() && !key.extended()) return key;
    }
    catch (const std::runtime_error&)
    {
    }
    throw std::runtime_error("invalid key");
}

/// The text as a reader unfolds it, without the white space at its end: a
/// line break before a blank goes, any other stands as a blank.
std::string unfolded(const char* data, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] != '\r' && data[i] != '\n')
            text += data[i];
        else if (i + 1 < size && data[i + 1] != '\r' && data[i + 1] != '\n' &&
                 !detail::isBlank(data[i + 1]))
            text += ' ';
    }
    while (!text.empty() && detail::isSpace(text.back()))
        text.pop_back();
    return text;
}

/// The length of the comment or the quoted string at `i`, else 1; throws
/// for one that is unfinished.
size_t pieceLength(const std::string& text, size_t i)
{
    if (text[i] == '(') return Comment(text.data() + i, text.size() - i).consumed();
    if (text[i] == '"') return QuotedString(text.data() + i, text.size() - i).consumed();
    return 1;
}

/// Whether the text can go after a value as it is: written so, an
/// unfinished comment or quoted string would take in what follows, a ";"
/// would start another parameter, and a 7-bit receiver takes 8-bit bytes
/// only inside comments, encoded.
bool standsAfterValue(const std::string& text)
{
    try
    {
        for (size_t i = 0, length; i < text.size(); i += length)
        {
            length = pieceLength(text, i);
            if (text[i] == ';') return false;
            if (text[i] != '(' && detail::hasEightBit(text.data() + i, length)) return false;
        }
        return true;
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
}

} // namespace

Param::Param(const char* data, size_t size, bool strict)
    : _key(data, size), _valueStart(valueStart(data, size, _key, _around)),
      _value(_key, data + _valueStart, size - _valueStart, strict), _name(data, _key.nameLength())
{
}

Param::Param(const char* name, const std::string& value)
    : _key(plainKey(name)), _value(value), _name(name)
{
}

Param::Param(const char* name, const char* value, size_t size)
    : Param(name, std::string(value, size))
{
}

void Param::surround(const std::string& comments, const char* after, size_t size)
{
    std::string text = unfolded(after, size);
    _around = comments + _around;
    if (standsAfterValue(text))
        _around += text;
    else
        _value.append(ParamValue(text));
}

size_t Param::encode(const Capabilities& capabilities, Filter::Result* output, bool) const
{
    return write(capabilities, output, capabilities.sizes.preferred);
}

size_t Param::encode(const Capabilities& capabilities, Filter::LineLength* output, bool) const
{
    return write(capabilities, output, capabilities.sizes.preferred - 1);
}

size_t Param::encodeWhole(const Capabilities& capabilities, Filter::Result* output) const
{
    return write(capabilities, output, capabilities.sizes.preferred, true);
}

size_t Param::encodeWhole(const Capabilities& capabilities, Filter::LineLength* output) const
{
    return write(capabilities, output, capabilities.sizes.preferred - 1, true);
}

size_t Param::write(const Capabilities& capabilities, Filter::Result* output, size_t limit,
                    bool whole) const
{
    // Encoded words go as they came where they read the same so, else the
    // text they stand for does: sections joined read as one value, where a
    // word that opened a section may be glued to text and blanks between
    // two words go.
    std::string words;
    std::string reread;
    bool asWords = _value.words() && detail::quotedWordsToWrite(_value.raw(), words) &&
                   detail::decodeQuotedWords(words, reread) && reread == _value.text();
    std::optional<ParamSplitter> splitter;
    auto split = [&](const std::string& value, bool holdsWords)
    {
        splitter.emplace(output, _name, value, limit, capabilities.sizes.max, whole,
                         !_value.token(), holdsWords);
    };
    // Words go whole, as readers decode none split between sections: past
    // the hard limit they cannot go at all, and the text goes in sections.
    if (asWords)
    {
        split(words, true);
        asWords = splitter->fitsUnsplit();
    }
    const std::string& value = asWords ? words : _value.text();
    if (!asWords) split(value, false);
    size_t written = splitter->process(value.data(), value.size(), false);
    splitter->finish();
    // Gone before the comments after the value are written.
    splitter.reset();
    if (_around.empty()) return written;
    // The value may go in another form than it came: a token would take in
    // text that stood right after a closing quote.
    if (!detail::isSpace(_around[0])) written += output->append(" ", 1, true);
    return written + detail::writeComments(_around, capabilities.allowsUtf8, output);
}

} // namespace Mime
} // namespace Kestrava
