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

    /// Holds a section; one that only a lenient read takes makes its joined
    /// parameter one that the list writes but does not look up.
    void add(std::shared_ptr<Param> section, bool strict);

    /// Joins every section 0 with the sections 1, 2, ... of its name that
    /// follow without a gap, appends the joined parameters to the list and
    /// drops the sections that none took.
    void join();

    /// Joins and decodes an extended continued value into `first`.
    void decode(const std::shared_ptr<Param>& first);

private:
    /// Takes the first held section of that name and number out; empty
    /// when there is none.
    std::shared_ptr<Param> take(const std::string& name, unsigned section);

    /// Notes whether the section only passed a lenient read.
    void note(const std::shared_ptr<Param>& section);

    std::vector<std::shared_ptr<Param>> _sections;
    /// The sections other than 0 by lower-case name and number, each in
    /// input order: a take must not scan every section.
    std::map<std::pair<std::string, unsigned>, std::deque<std::shared_ptr<Param>>> _held;
    Params* _target;
    /// The sections that only a lenient read took.
    std::set<const Param*> _lenient;
    /// Whether the chain being joined holds such a section.
    bool _chainLenient = false;
};

} // namespace Mime
} // namespace Kestrava
