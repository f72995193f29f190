#include "dns/callbacks.h"

namespace DNS
{

Callbacks::Callbacks(Success success, Failure failure, std::set<Callbacks*>& registry)
    : _success(std::move(success)), _failure(std::move(failure)), _registry(registry)
{
    _registry.insert(this);
}

Callbacks::~Callbacks()
{
    _registry.erase(this);
}

void Callbacks::onResolved(const Operation* operation, const Response& response)
{
    // Deleted first: the function object may destroy what owns the Context.
    Success success = std::move(_success);
    delete this;
    if (success) success(operation, response);
}

void Callbacks::onFailure(const Operation* operation, int rcode)
{
    Failure failure = std::move(_failure);
    delete this;
    if (failure) failure(operation, rcode);
}

void Callbacks::onCancelled(const Operation*)
{
    delete this;
}

} // namespace DNS
