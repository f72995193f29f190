#pragma once

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Kestrava
{
namespace Mime
{

class Param;
class Params;

/// Collects the numbered sections of RFC 2231 continued parameters while a
/// list is parsed, and joins them into the list at the end.
class PartialParams
{
public:
    explicit PartialParams(Params* target) : _target(target) {}
    virtual ~PartialParams() = default;

    /// Holds a section and its text; one that only a lenient read takes
    /// makes its joined parameter one that the list writes but does not
    /// look up.
    void add(std::shared_ptr<Param> section, bool strict, std::string raw);

    /// Joins every section 0 with the sections 1, 2, ... of its name that
    /// follow without a gap, appends the joined parameters to the list and
    /// keeps the sections that none took for writing, as they came.
    void join();

    /// Joins and decodes a continued value with extended sections into
    /// `first`.
    void decode(const std::shared_ptr<Param>& first);

private:
    /// Takes the first held section of the name of `first` and that
    /// number out, and what stood around it into `first`; empty when there
    /// is none.
    std::shared_ptr<Param> take(Param& first, unsigned section);

    /// Whether an extended section is among those that join `first`.
    bool extendedFollows(const Param& first) const;

    /// Adds the section to the chain being joined.
    void chain(const std::shared_ptr<Param>& section);

    std::vector<std::shared_ptr<Param>> _sections;
    /// The sections other than 0 by lower-case name and number, each in
    /// input order: a take must not scan every section.
    std::map<std::pair<std::string, unsigned>, std::deque<std::shared_ptr<Param>>> _held;
    Params* _target;
    /// The sections that only a lenient read took.
    std::set<const Param*> _lenient;
    /// The text of every section.
    std::map<const Param*, std::string> _raw;
    /// Whether the chain being joined holds such a section.
    bool _chainLenient = false;
    /// The texts of the sections of the chain being joined.
    std::vector<std::string> _chain;
};

} // namespace Mime
} // namespace Kestrava
