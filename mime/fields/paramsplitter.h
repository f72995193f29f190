#pragma once

#include "filter/filter.h"
#include "filter/rfc2231.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

/**
 * Writes one parameter: its name, "=" and the value bytes given to
 * process(), bare, quoted or as an RFC 2231 "utf-8''" value ("unknown-8bit''"
 * for bytes that are not UTF-8). A value whose
 * cost passes the room left on the line after the name is split into
 * numbered sections, each on a folded line of its own and at most `limit`
 * long but for its first byte; an escape is never split. A boundary is
 * never split, and a section is long enough to carry at least as many
 * value bytes as its header (within `hardLimit`, else nothing is split).
 * Written whole, the value is never split, and starts on a folded line of
 * its own when it passes the room. A name that would read as a shorter one
 * with a suffix always goes with its section number. A value of RFC 2047
 * words goes whole too: readers decode no word split between sections.
 * Any other value that would read as such words quoted goes as an RFC 2231
 * value, which readers take as it stands.
 */
class ParamSplitter : public Kestrava::Filter::Filter
{
public:
    /// An empty value is quoted when `quoteEmpty` is set, else bare;
    /// `words`: the value holds RFC 2047 words.
    ParamSplitter(Kestrava::Filter::Result* next, const std::string& name, const std::string& value,
                  size_t limit, size_t hardLimit, bool whole = false, bool quoteEmpty = true,
                  bool words = false);

    using Kestrava::Filter::Filter::process;

    /// Writes value bytes; returns what the escaping stage wrote for them.
    size_t process(const char* data, size_t size, bool final) override;

    /// Closes the value (and writes the name of an empty one).
    void finish();

    /// Whether the value, where it goes unsplit, fits a line of its own
    /// within the hard limit.
    bool fitsUnsplit() const { return _unsplitLine <= _hardLimit; }

private:
    enum class Form
    {
        bare,
        quoted,
        extended,
    };

    /// Whether a byte of a quoted value goes with a backslash before it.
    bool escaped(char c, char previous) const;
    /// What one value byte takes on the line.
    size_t cost(char c, char previous) const;

    /// Writes the name and "=" of the value or of the next section.
    void start();

    /// Ends the current section and starts the next on a new line.
    void nextSection();

    std::string _name;
    Form _form;
    size_t _limit;
    size_t _hardLimit;
    /// The line the value takes unsplit: the fold's blank, the name (with
    /// its section number), the value and the ";" after it.
    size_t _unsplitLine = 0;
    bool _split = false;
    /// Whether even a value written unsplit takes the section number 0.
    bool _numbered = false;
    /// Whether the value starts on a folded line.
    bool _fold = false;
    unsigned _section = 0;
    size_t _line = 0;
    bool _started = false;
    bool _sectionEmpty = true;
    /// The value byte before, in the current section.
    char _previous = '\0';
    /// The charset label of an extended value.
    std::string _charset = "utf-8";
    Kestrava::Filter::Rfc2231 _percent;
    Kestrava::Filter::Result* _stage;
};

} // namespace Mime
} // namespace Kestrava
