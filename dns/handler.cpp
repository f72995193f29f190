#include "dns/handler.h"

#include "dns/message/response.h"

namespace DNS
{

void Handler::onResolved(const Operation*, const Response&) {}

void Handler::onFailure(const Operation*, int) {}

void Handler::onTimeout(const Operation* operation)
{
    onFailure(operation, ns_r_servfail);
}

void Handler::onReceived(const Operation* operation, const Response& response)
{
    int rcode = response.rcode();
    if (rcode != 0)
        onFailure(operation, rcode);
    else if (response.truncated())
        onFailure(operation, ns_r_servfail);
    else
        onResolved(operation, response);
}

void Handler::onCancelled(const Operation*) {}

} // namespace DNS
