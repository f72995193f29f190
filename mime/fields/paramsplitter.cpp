#include "mime/fields/paramsplitter.h"

#include "filter/utf8.h"
#include "mime/detail/headertext.h"
#include "mime/fields/formatting.h"
#include "mime/fields/paramkey.h"

#include <strings.h>

namespace Kestrava
{
namespace Mime
{

namespace
{

/// The bytes a section number adds to a name at most: "*", digits and the
/// ";" that closes the section.
constexpr size_t sectionMarks = 8;

/// What a section's line holds besides the bytes counted against the limit:
/// the fold blank, the escape that opens the section (not counted) and the
/// ";" that closes it.
constexpr size_t sectionLineExtra = 1 + 3 + 1;

/// Whether the name, written as it is before "=", would read as a shorter
/// name with a suffix ("a*1" from "a*1*0=", say).
bool readsAsSuffix(const std::string& name)
{
    std::string key = name + "=";
    return ParamKey(key.data(), key.size()).nameLength() != name.size();
}

} // namespace

ParamSplitter::ParamSplitter(Kestrava::Filter::Result* next, const std::string& name,
                             const std::string& value, size_t limit, size_t hardLimit, bool whole,
                             bool quoteEmpty, bool words)
    : Filter(next), _name(name), _limit(limit), _hardLimit(hardLimit), _percent(next)
{
    Formatting formatting(value.data(), value.size());
    // A comma passes the bare test but is an RFC 2045 special: bare, it
    // would cut the value short for every strict reader, ours included.
    // Python's email package drops bare values with an apostrophe, which
    // it takes for an RFC 2231 charset mark; quoted, every reader agrees.
    // It drops a bare empty value too, and keeps a quoted one.
    bool bare = formatting.param() && value.find_first_of(",'") == std::string::npos &&
                !(value.empty() && quoteEmpty);
    // Quoted, text that looks like an encoded word would read as the word's
    // text; an RFC 2231 value reads as it stands.
    bool quotable = formatting.ascii() && (bare || words || !detail::readsAsWords(value));
    _form = !quotable ? Form::extended : bare ? Form::bare : Form::quoted;
    _stage = _form == Form::extended ? static_cast<Kestrava::Filter::Result*>(&_percent) : next;
    // Bytes that are not UTF-8 must not be labelled so: a reader would
    // replace them.
    if (!Kestrava::Filter::wellFormedUtf8(value.data(), value.size())) _charset = "unknown-8bit";
    size_t total = 0;
    char previous = '\0';
    for (char c : value)
    {
        total += cost(c, previous);
        previous = c;
    }
    size_t fixed = name.size() + 1 + (_form == Form::quoted ? 2 : 0) +
                   (_form == Form::extended ? 1 + _charset.size() + 2 : 0);
    bool over = fixed > limit || total > limit - fixed;
    _split = over;
    // Readers look for the delimiter by the boundary as one value; RFC 2046
    // keeps it within 70 characters, so it fits a line whole.
    if (name.size() == 8 && strncasecmp(name.data(), "boundary", 8) == 0) _split = false;
    // Each section repeats the name: it must carry at least as many value
    // bytes as its own header takes, else a long name would multiply the
    // output. Where such sections pass the hard limit, the value goes whole.
    size_t section = 2 * (fixed + sectionMarks);
    if (section > _limit) _limit = section;
    if (_limit + sectionLineExtra > hardLimit) _split = false;
    if (whole || words) _split = false;
    // Such a name keeps its own only with a section number after it.
    _numbered = readsAsSuffix(name);
    _unsplitLine = 1 + fixed + (_numbered ? 2 : 0) + total + 1;
    _fold = whole || words ? over : _split;
}

bool ParamSplitter::escaped(char c, char previous) const
{
    // A blank after a blank is escaped: written plain, the run would become
    // one blank wherever the line is folded again at its blanks.
    return _form == Form::quoted && (c == '\\' || c == '"' || (c == ' ' && previous == ' '));
}

size_t ParamSplitter::cost(char c, char previous) const
{
    switch (_form)
    {
    case Form::quoted:
        return escaped(c, previous) ? 2 : 1;
    case Form::extended:
        return _percent.allowed(c) ? 1 : 3;
    default:
        return 1;
    }
}

void ParamSplitter::start()
{
    std::string header = _name;
    if (_fold && _section == 0) next->append("\r\n ", 3, true);
    if (_split || _numbered) header += "*" + std::to_string(_section);
    if (_form == Form::extended) header += "*";
    header += "=";
    if (_form == Form::quoted) header += "\"";
    if (_form == Form::extended && _section == 0) header += _charset + "''";
    next->append(header);
    _line = header.size() + (_form == Form::quoted ? 1 : 0);
    _started = true;
    _sectionEmpty = true;
    _previous = '\0';
}

void ParamSplitter::nextSection()
{
    next->append(_form == Form::quoted ? "\";\r\n " : ";\r\n ", _form == Form::quoted ? 5 : 4,
                 true);
    ++_section;
    start();
}

size_t ParamSplitter::process(const char* data, size_t size, bool final)
{
    if (!_started) start();
    size_t written = 0;
    size_t run = 0;
    for (size_t i = 0; i < size; ++i)
    {
        size_t taken = cost(data[i], _previous);
        if (_split && !_sectionEmpty && _line + taken > _limit)
        {
            // The byte opens the next section and is not counted in it.
            written += _stage->append(data + run, i - run, final);
            run = i;
            nextSection();
        }
        else
            _line += taken;
        if (escaped(data[i], _previous))
        {
            written += _stage->append(data + run, i - run, final);
            written += next->append("\\", 1, true);
            run = i;
        }
        _previous = data[i];
        _sectionEmpty = false;
    }
    if (size > run) written += _stage->append(data + run, size - run, final);
    return written;
}

void ParamSplitter::finish()
{
    if (!_started) start();
    if (_form == Form::quoted) next->append("\"", 1, true);
}

} // namespace Mime
} // namespace Kestrava
