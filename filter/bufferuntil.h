#pragma once

#include "filter/buffersize.h"
#include "filter/filter.h"

#include <string>

namespace Kestrava
{
namespace Filter
{

/**
 * Splits the stream into words at the bytes of a set (the NUL byte always
 * counts as one), which are dropped; every word goes out as one append,
 * also when it spans chunks, and two delimiters in a row give an empty
 * word. The unfinished last word is held until a delimiter, flush() or the
 * destructor.
 */
class BufferUntil : public Filter
{
public:
    /// `set` is NUL-terminated, not owned, and must outlive the stage.
    BufferUntil(Result* next, const char* set) : Filter(next), _set(set) {}
    ~BufferUntil() override;

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// Writes the held word, then flushes the next sink.
    size_t flush() override;

    /// The held part of the unfinished word.
    const std::string& buffer() const { return _buffer; }

    /// The bytes and characters the unfinished word adds to the line: {1,
    /// 1} for the separator once a held word went out.
    const BufferSize& pending() const { return _pending; }

private:
    const char* _set;
    std::string _buffer;
    BufferSize _pending;
};

} // namespace Filter
} // namespace Kestrava
