#pragma once

#include "dns/suffix/texttable.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace Kestrava
{
namespace Dns
{

/**
 * The rules of the embedded Public Suffix List and the list's own algorithm
 * (https://publicsuffix.org/list/): among the rules that match a name the
 * exception rule prevails, else the one with the most labels; a wildcard
 * stands for exactly one label; a name that matches no rule falls under the
 * implicit rule "*". A name with an empty label has no suffix.
 *
 * Names match in ASCII letter case and in either form: the rules written in
 * Unicode are also kept in their ASCII ("xn--") form when libidn is there.
 * Built once, on first use from any thread, and only read afterwards.
 */
class PublicSuffixes
{
public:
    /// One rule, a view into the list or into a text kept by the rule set.
    class Suffix
    {
    public:
        Suffix(bool exception, const char* text, size_t length)
            : _exception(exception), _text(text), _length(length)
        {
        }
        virtual ~Suffix() = default;

        /// Whether the rule began with '!', which the text leaves out.
        bool exception() const { return _exception; }
        const char* text() const { return _text; }
        size_t length() const { return _length; }

    private:
        bool _exception;
        const char* _text;
        size_t _length;
    };

    /// A rule "*." followed by a domain; its text is the whole rule.
    class Wildcard : public Suffix
    {
    public:
        Wildcard(const char* text, size_t length) : Suffix(false, text, length) {}
    };

    static const PublicSuffixes& instance();

    PublicSuffixes(const PublicSuffixes&) = delete;
    PublicSuffixes& operator=(const PublicSuffixes&) = delete;
    virtual ~PublicSuffixes() = default;

    /// The prevailing listed rule, or null when only the implicit "*" rule
    /// matches or the name has an empty label.
    const Suffix* match(const char* name) const;

    /// The public suffix: a tail of `name`, or null.
    const char* suffix(const char* name) const;

    /// The organizational domain, the public suffix with the label in front
    /// of it: a tail of `name`, or null when the name is itself a suffix.
    const char* organization(const char* name) const;

private:
    /// What the rules say about one text: an exact or exception rule equal
    /// to it, and a wildcard rule for the names one label below it.
    struct Rules
    {
        const Suffix* exact = nullptr;
        const Wildcard* wildcard = nullptr;
    };

    /// The outcome of one lookup: the prevailing listed rule (null for the
    /// implicit one) and where the public suffix starts in the name (null
    /// when there is none).
    struct Verdict
    {
        const Suffix* rule = nullptr;
        const char* suffix = nullptr;
    };

    PublicSuffixes(const char* list, size_t size);

    void add(const char* line, size_t length);
    void addRule(bool exception, std::string_view rule);
    void addAsciiForm(bool exception, std::string_view rule);

    Verdict find(const char* name) const;

    std::deque<Suffix> _suffixes;
    std::deque<Wildcard> _wildcards;
    /// The ASCII forms of rules written in Unicode.
    std::deque<std::string> _asciiForms;
    TextTable<Rules> _rules;
};

} // namespace Dns
} // namespace Kestrava
