#pragma once

#include <cstddef>
#include <string_view>

namespace Kestrava {
namespace JSON {

/**
 * Decides, while a Copier copies a document, which members and elements
 * stay out of the copy.
 *
 * The document itself is watched: the pruner is asked about each member or
 * element of it when it is an object or an array. A member or element that
 * it answers `watch` for is watched in turn; when the copy of it is done,
 * container or not, leave() is called once. Nothing is asked about what is
 * not watched, so a pruner costs nothing where it has no interest. The
 * pruner is called only from inside Copier::copy; when the text turns out
 * not to be JSON the calls simply stop, and what it throws leaves the copy
 * (the output then holds nothing to use).
 */
class Pruner
{
public:
    enum Verdict
    {
        keep,
        leaveOut,
        watch
    };

    virtual ~Pruner() = default;

    /// A member of a watched object; name is as the copy writes it:
    /// escaped, without its quotes (see Copier::escaped).
    virtual Verdict member(std::string_view name) = 0;

    /// An element of a watched array, by its index in the text.
    virtual Verdict element(size_t index) = 0;

    /// The end of a member or element that was watched.
    virtual void leave() = 0;
};

} // namespace JSON
} // namespace Kestrava
