#include "browse/context.h"

#include "browse/operation.h"
#include "browse/queue.h"
#include "browse/url.h"

#include <algorithm>
#include <utility>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{
bool sameHost(const Dns::Hostname& first, const Dns::Hostname& second)
{
    const char* a = first.ascii() != nullptr ? first.ascii() : "";
    const char* b = second.ascii() != nullptr ? second.ascii() : "";
    return strcasecmp(a, b) == 0;
}
} // namespace

Context::~Context()
{
    closeDown();
    abandonFetches();
    std::vector<Queue*> queues = std::move(_queues);
    for (Queue* queue : queues)
        queue->cancel();
    // Running requests end too: their connections and operations refer to
    // the queues, host names, headers and TLS context that go with this.
    for (Browse::Handler* handler : release())
    {
        auto* operation = dynamic_cast<Operation*>(handler);
        Browse::Handler* user = operation != nullptr ? operation->cancel() : handler;
        if (user != nullptr) user->onFailed("operation cancelled");
    }
    tellCancelled();
    for (Queue* queue : queues)
        delete queue;
}

void Context::connect(const Url& url, Browse::Handler* handler)
{
    if (cancelled(handler)) return;
    bool https = isHttps(url);
    if (!https && !isHttp(url)) return fail("Protocol not supported", handler);
    auto port = static_cast<uint16_t>(url.port());
    if (port == 0) port = https ? 443 : 80;

    if (Queue* queue = find(url.hostname())) return queue->add(port, https, handler);
    auto* queue = new Queue(*this, url.hostname(), _hostLimit);
    _queues.push_back(queue);
    queue->add(port, https, handler);
    // An IP literal is its own address.
    if (url.ip().version() != 0)
        queue->resolve(url.ip());
    else
        queue->resolve(*_dns);
}

Queue* Context::find(const Dns::Hostname& host) const
{
    for (Queue* queue : _queues)
        if (!queue->failed() && sameHost(queue->host(), host)) return queue;
    return nullptr;
}

size_t Context::count(const Dns::Hostname* host, size_t (Queue::*what)() const) const
{
    if (host != nullptr)
    {
        Queue* queue = find(*host);
        return queue != nullptr ? (queue->*what)() : 0;
    }
    size_t total = 0;
    for (Queue* queue : _queues)
        total += (queue->*what)();
    return total;
}

size_t Context::connections(const Dns::Hostname& host) const
{
    return count(&host, &Queue::running);
}

size_t Context::connections() const
{
    return count(nullptr, &Queue::running);
}

size_t Context::queue(const Dns::Hostname& host) const
{
    return count(&host, &Queue::waiting);
}

size_t Context::queue() const
{
    return count(nullptr, &Queue::waiting);
}

void Context::makeRoom()
{
    for (Queue* queue : _queues)
        if (queue->closeIdle()) return;
}

void Context::remove(Queue* queue)
{
    _queues.erase(std::remove(_queues.begin(), _queues.end(), queue), _queues.end());
}

} // namespace Browse
} // namespace Kestrava
