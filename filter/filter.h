#pragma once

#include "filter/result.h"

namespace Kestrava
{
namespace Filter
{

/**
 * A stage of a chain: transforms each chunk and hands the output to the
 * next sink. The next sink is not owned: the caller keeps it alive at least
 * as long as this stage. Stages are built innermost first and destroyed
 * outermost first, so that a stage that flushes on destruction still has
 * its next sink.
 *
 * A stage that transforms bytes overrides the first process() (and flush()
 * when it holds bytes back); everything else funnels into those two.
 */
class Filter : public Result
{
public:
    explicit Filter(Result* next) : next(next) {}

    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    using Result::append;

    /// Calls process() with the same arguments.
    size_t append(const char* data, size_t size, bool final) override;

    /// Passes the flush on to the next sink.
    size_t flush() override;

    /// Passes the chunk on unchanged.
    virtual size_t process(const char* data, size_t size, bool final);

    /// Processes a NUL-terminated text.
    virtual size_t process(const char* text, bool final);

    // Without this, process(data, size) would silently pick the
    // NUL-terminated overload with the size converted to the flag.
    virtual size_t process(const char* data, size_t size) = delete;

    /// Processes the string's bytes (not final).
    virtual size_t process(const std::string& text);

    /// Processes the stream in blocks of up to 4096 bytes, as append() does.
    virtual size_t process(std::istream& stream);

protected:
    Result* next;
};

} // namespace Filter
} // namespace Kestrava
