#include "dns/lookup/searchlookup.h"

#include "dns/context.h"
#include "dns/message/absent.h"
#include "dns/message/response.h"

namespace DNS
{

SearchLookup::SearchLookup(Context* context, int type, const Bits& bits, const char* name,
                           Handler* handler)
    : Operation(handler), _context(context), _candidates(context->candidates(name)), _type(type),
      _bits(bits)
{
    proceed();
}

const Query& SearchLookup::query() const
{
    return _operation->query();
}

void SearchLookup::cancel()
{
    // The candidate reports onCancelled, which ends this lookup.
    _operation->cancel();
}

bool SearchLookup::proceed()
{
    // The candidate that reported stays the operation until another starts:
    // the user's handler may read the query, or cancel, during the report.
    while (_next < _candidates.size())
    {
        // A candidate that cannot be built (too long) is skipped.
        Operation* candidate = _context->query(_candidates[_next++].c_str(), _type, _bits, this);
        if (candidate)
        {
            _operation = candidate;
            return true;
        }
    }
    return false;
}

template <typename Call> void SearchLookup::finish(Call&& call)
{
    _context->release(this);
    Handler* handler = detach();
    // Freed even when the user's handler throws; the candidate that called
    // this reports the exception.
    try
    {
        call(handler);
    }
    catch (...)
    {
        delete this;
        throw;
    }
    delete this;
}

void SearchLookup::onReceived(const Operation*, const Response& response)
{
    if (absent(response) && proceed()) return;
    // Found, left unanswered, or the last candidate's: the answer goes out
    // as it is.
    finish([&](Handler* handler) { handler->onReceived(this, response); });
}

void SearchLookup::onTimeout(const Operation*)
{
    finish([&](Handler* handler) { handler->onTimeout(this); });
}

void SearchLookup::onCancelled(const Operation*)
{
    finish([&](Handler* handler) { handler->onCancelled(this); });
}

} // namespace DNS
