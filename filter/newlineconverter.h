#pragma once

#include "filter/filter.h"

namespace Kestrava
{
namespace Filter
{

/**
 * Rewrites line breaks as `newline`. A lone "\r" always becomes `newline`;
 * in mode 0 (used with "\r\n") "\r\n" stays and a lone "\n" is rewritten,
 * in mode 1 (used with "\n") a lone "\n" stays and "\r\n" is rewritten. A
 * "\r\n" cut between two chunks counts as one break.
 */
class NewlineConverter : public Filter
{
public:
    /// `newline` is not owned and must outlive the chain.
    NewlineConverter(Result* next, const char* newline, int mode);

    using Filter::process;

    size_t process(const char* data, size_t size, bool final) override;

    /// Forgets a "\r" that ended the last chunk, then flushes the next sink.
    size_t flush() override;

private:
    const char* _newline;
    size_t _length;
    int _mode;
    bool _lastWasCR = false;
};

} // namespace Filter
} // namespace Kestrava
