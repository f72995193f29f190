#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

/**
 * The documents handed back while consuming is paused, or as the service
 * stops, counted by reason: one warning line then tells them all, where a
 * line each would flood the log through an outage. The reasons keep the
 * order in which each first came.
 */
class PutBackTally
{
public:
    virtual ~PutBackTally() = default;

    /// One more document, handed back for `reason` (worded as its warning).
    void add(const std::string& reason);

    /// The documents counted since the last take().
    size_t total() const { return _total; }

    /// The reasons with their counts, "Invalid response code from server:
    /// 503 x33, No response from server: time-out x1"; the count starts
    /// again.
    std::string take();

private:
    std::vector<std::pair<std::string, size_t>> _reasons;
    size_t _total = 0;
};
