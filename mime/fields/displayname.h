#pragma once

#include "mime/fields/encodable.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace Kestrava
{
namespace Mime
{

class Internal;

/**
 * The phrase in front of an address or a group, decoded into UTF-8: a run
 * of atoms, dots, quoted strings and encoded words separated by CFWS.
 * Parsing never throws; the name ends at the first byte it cannot take.
 */
class DisplayName : public Encodable
{
public:
    DisplayName() = default;
    DisplayName(const char* data, size_t size);
    /// Takes a plain text, its runs of white space made one blank.
    explicit DisplayName(const Internal& text);

    using Encodable::encode;
    size_t encode(const Capabilities& capabilities, Filter::Result* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::LineLength* output,
                  bool final) const override;
    size_t encode(const Capabilities& capabilities, Filter::WordWrap* output,
                  bool final) const override;

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    /// The longest run without white space, which decides between folding
    /// and encoding.
    size_t longestWord() const { return _longestWord; }

    /// Whether a phrase was read, though its text may be empty: an empty
    /// quoted string names a group.
    bool present() const { return !_text.empty() || _quoted; }

    /// Empties the name, as if nothing had been parsed.
    void clear();

private:
    /// Tracks the longest word over the text a quoted string or an encoded
    /// word appended; `joined` continues the previous piece.
    void measure(const std::string& piece, bool joined);

    /// Whether the name is white space alone: encoded words would drop it
    /// all, so it is quoted even for a 7-bit receiver.
    bool blank() const;

    /// Whether the bare or quoted form may go to a word wrap.
    bool foldable(const Capabilities& capabilities) const;

    /// The bare form when it passes as a phrase, else the quoted form.
    std::string plain() const;

    /// Writes the name as encoded words from `used` characters on, folded
    /// at `limit`; those that did not decode as they came.
    size_t encodeWords(size_t used, size_t limit, Filter::Result* output) const;

    std::string _text;
    /// Where encoded words that did not decode stand in the text, as
    /// written, and how long they are: they go back so.
    std::vector<std::pair<size_t, size_t>> _kept;
    size_t _consumed = 0;
    size_t _longestWord = 0;
    size_t _carried = 0;
    bool _quoted = false;
};

} // namespace Mime
} // namespace Kestrava
