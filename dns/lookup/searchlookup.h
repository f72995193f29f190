#pragma once

#include "dns/handler.h"
#include "dns/message/bits.h"
#include "dns/operation.h"

#include <cstddef>
#include <string>
#include <vector>

namespace DNS
{

class Context;

/// A lookup of a name with fewer dots than ndots: the name is tried with
/// each search path appended, in order, then bare, while each candidate's
/// answer settles that it has no record of the asked type (see absent()): a
/// time-out or a server's failure ends the search. Owns itself: deletes
/// itself after reporting.
/// The Context deletes it, unreported, when it is destroyed first.
class SearchLookup : public Operation, public Handler
{
public:
    /// Starts the first candidate that can be started.
    SearchLookup(Context* context, int type, const Bits& bits, const char* name, Handler* handler);

    /// False when no candidate could be started; the lookup is then not running.
    bool started() const { return _operation != nullptr; }

    const Query& query() const override;
    void cancel() override;

private:
    friend class Context;
    ~SearchLookup() override = default;

    void onReceived(const Operation* operation, const Response& response) override;
    void onTimeout(const Operation* operation) override;
    void onCancelled(const Operation* operation) override;

    /// Starts the next candidate; false when none is left.
    bool proceed();
    /// Makes the one call to the user's handler and deletes the lookup.
    template <typename Call> void finish(Call&& call);

    Context* _context;
    std::vector<std::string> _candidates;
    size_t _next = 0;
    int _type;
    Bits _bits;
    Operation* _operation = nullptr;
};

} // namespace DNS
