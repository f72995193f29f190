#pragma once

#include "dns/handler.h"

#include <functional>
#include <set>

namespace DNS
{

/// A handler made of two function objects, for callers that would rather
/// not derive from Handler. Allocated on the heap; deletes itself after
/// calling one of them (or neither, when the lookup is cancelled).
class Callbacks : public Handler
{
public:
    using Success = std::function<void(const Operation*, const Response&)>;
    using Failure = std::function<void(const Operation*, int rcode)>;

    /// Listed in the registry while it lives, so that the owner of the
    /// lookup can free it when the lookup is dropped unreported.
    Callbacks(Success success, Failure failure, std::set<Callbacks*>& registry);

    void onResolved(const Operation* operation, const Response& response) override;
    void onFailure(const Operation* operation, int rcode) override;
    void onCancelled(const Operation* operation) override;

private:
    // Deletes the callbacks that no lookup will call.
    friend class Context;

    ~Callbacks() override;

    Success _success;
    Failure _failure;
    std::set<Callbacks*>& _registry;
};

} // namespace DNS
