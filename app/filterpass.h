#pragma once

#include "json/copier.h"
#include "json/pruner.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Filter;

/**
 * The filter applied while a document is copied: leaves out what its
 * pointers name, with the outcome of removing the matches of one pointer
 * after the other from the parsed document. The pointers that reach a
 * place are followed level by level; in an array, an index names the
 * element at that place once the earlier pointers' removals are done, so
 * each is mapped back to an index in the text.
 *
 * One document at a time.
 */
class FilterPass : public Kestrava::JSON::Pruner
{
public:
    /// The filter must outlive the pass.
    explicit FilterPass(const Filter& filter);

    /// Copies document into output compact, without what the filter
    /// names. False when it is no JSON, or JSON null: nothing to post.
    bool copy(std::string_view document, std::string& output);

    Verdict member(std::string_view name) override;
    Verdict element(size_t index) override;
    void leave() override;

private:
    /// Sets the pass at the start of a document.
    void restart();

    /// A pointer whose tokens before depth match the path to this place.
    struct Reach
    {
        uint32_t pointer;
        uint32_t depth;
        /// In an array: the index in the text of the element it steps into.
        size_t target;
    };

    /// A watched value: its reaches run from begin to the next level's.
    struct Level
    {
        size_t begin;
        /// Where its removed indexes (an array's, ascending) start.
        size_t removedBegin;
        bool mapped;
        bool emptied;
    };

    /// Works out, on the first element of an array, which elements the
    /// reaching pointers remove and which they step into.
    void map(Level& level);
    bool removed(const Level& level, size_t index) const;
    /// The index in the text of the nth element still there.
    size_t survivor(const Level& level, size_t nth) const;
    /// Makes a level of the reaches added from begin on, if any.
    Verdict descend(size_t begin);

    const Filter* _filter;
    Kestrava::JSON::Copier _copier;
    std::vector<Reach> _reaches;
    std::vector<size_t> _removed;
    std::vector<Level> _levels;
};
