#include "dns/suffix/publicsuffixes.h"

#include "dns/hostname/libidn.h"
#include "dns/hostname/plainascii.h"
#include "dns/suffix/publicsuffixlist.h"

#include <cstdlib>
#include <cstring>

namespace Kestrava
{
namespace Dns
{

namespace
{

/// A rule ends at the first white space of its line.
size_t ruleLength(const char* line, size_t length)
{
    size_t rule = 0;
    while (rule < length && line[rule] != ' ' && line[rule] != '\t' && line[rule] != '\r')
        ++rule;
    return rule;
}

} // namespace

const PublicSuffixes& PublicSuffixes::instance()
{
    static const PublicSuffixes suffixes(src_public_suffix_list_dat,
                                         src_public_suffix_list_dat_size);
    return suffixes;
}

PublicSuffixes::PublicSuffixes(const char* list, size_t size)
{
    const char* end = list + size;
    for (const char* line = list; line < end;)
    {
        const char* lineEnd = line;
        while (lineEnd < end && *lineEnd != '\0' && *lineEnd != '\n')
            ++lineEnd;
        add(line, ruleLength(line, static_cast<size_t>(lineEnd - line)));
        line = lineEnd + 1;
    }
}

void PublicSuffixes::add(const char* line, size_t length)
{
    if (length == 0 || line[0] == '/') return;
    bool exception = line[0] == '!';
    std::string_view rule(line + exception, length - exception);
    if (rule.empty()) return;
    addRule(exception, rule);
    if (!isPlainAscii(rule)) addAsciiForm(exception, rule);
}

void PublicSuffixes::addRule(bool exception, std::string_view rule)
{
    if (rule.find('*') != std::string_view::npos)
    {
        // The list has wildcards only as a whole leftmost label.
        if (exception || rule.size() < 3 || rule.compare(0, 2, "*.") != 0 ||
            rule.find('*', 1) != std::string_view::npos)
            return;
        Rules& rules = _rules[rule.substr(2)];
        if (rules.wildcard != nullptr) return;
        _wildcards.emplace_back(rule.data(), rule.size());
        rules.wildcard = &_wildcards.back();
        return;
    }
    Rules& rules = _rules[rule];
    if (rules.exact != nullptr) return;
    _suffixes.emplace_back(exception, rule.data(), rule.size());
    rules.exact = &_suffixes.back();
}

void PublicSuffixes::addAsciiForm(bool exception, std::string_view rule)
{
    if (!LibIDN::valid()) return;
    char* converted = nullptr;
    int result =
        LibIDN::idna_to_ascii_8z(std::string(rule).c_str(), &converted, LibIDN::allowUnassigned);
    if (result == 0) _asciiForms.emplace_back(converted);
    std::free(converted);
    if (result == 0) addRule(exception, _asciiForms.back());
}

PublicSuffixes::Verdict PublicSuffixes::find(const char* name) const
{
    // The tails of the name, shortest first, so that a longer match replaces
    // a shorter one; the whole name is walked, as an empty label anywhere
    // leaves it without a suffix.
    const char* end = name + std::strlen(name);
    const char* lastLabel = nullptr;
    Verdict longest;
    Verdict exception;
    const Wildcard* wildcard = nullptr;
    uint64_t hash = TextTable<Rules>::emptyHash;
    const char* labelEnd = end;
    while (true)
    {
        const char* start = labelEnd;
        while (start > name && start[-1] != '.')
            hash = TextTable<Rules>::extend(hash, *--start);
        if (start == labelEnd) return {};
        if (lastLabel == nullptr) lastLabel = start;

        if (wildcard != nullptr) longest = {wildcard, start};
        wildcard = nullptr;
        const Rules* found =
            _rules.find(hash, std::string_view(start, static_cast<size_t>(end - start)));
        if (found != nullptr)
        {
            const Suffix* exact = found->exact;
            if (exact != nullptr && !exact->exception())
                longest = {exact, start};
            else if (exact != nullptr && exception.rule == nullptr)
                // An exception makes its parent the public suffix.
                exception = {exact, labelEnd == end ? nullptr : labelEnd + 1};
            wildcard = found->wildcard;
        }
        if (start == name) break;
        labelEnd = start - 1;
        hash = TextTable<Rules>::extend(hash, '.');
    }
    if (exception.rule != nullptr) return exception;
    if (longest.rule != nullptr) return longest;
    return {nullptr, lastLabel};
}

const PublicSuffixes::Suffix* PublicSuffixes::match(const char* name) const
{
    return find(name).rule;
}

const char* PublicSuffixes::suffix(const char* name) const
{
    return find(name).suffix;
}

const char* PublicSuffixes::organization(const char* name) const
{
    const char* suffix = find(name).suffix;
    if (suffix == nullptr || suffix == name) return nullptr;
    // The suffix follows a '.', and the label before it is not empty.
    const char* start = suffix - 1;
    while (start > name && start[-1] != '.')
        --start;
    return start;
}

} // namespace Dns
} // namespace Kestrava
