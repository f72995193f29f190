#pragma once

#include "browse/connector.h"

#include <cstddef>
#include <vector>

namespace Kestrava
{
namespace Browse
{

class Cache;
class Download;
class Downloader;
class PostData;
class Queue;

/**
 * The asynchronous HTTP client of one event loop.
 *
 * connect() asks for a connection to the host of a URL: the host name is
 * resolved (A and AAAA), each host has one queue of requests of which at
 * most hostLimit run, at most connectionLimit connections live at once,
 * the addresses are tried in turn, and a kept-alive connection goes
 * straight to the next waiting request of its host, or idles a moment for
 * one, once checked that the server has not closed it meanwhile; a GET or
 * HEAD (or a request its writer allows to go twice) that the server drops
 * unanswered there goes once more on a fresh connection. Every request
 * ends with exactly one terminal report, never from inside connect().
 * Handlers may call connect() from any report.
 * Destroying the context (never from inside a report) ends every request
 * not yet ended with "operation cancelled" and closes its connection; so
 * are downloads waiting for the cache's answer, and requests made from
 * inside those reports.
 */
class Context : public Connector
{
public:
    /// `cache` (not owned, may be null) serves the downloads.
    Context(Event::Loop* loop, const DNS::Ip& local, DNS::Context& dns, Cache* cache = nullptr)
        : Connector(loop, local, dns), _cache(cache)
    {
    }
    ~Context() override;

    using Connector::connect;
    /// A connection for `url`: "http://" (port 80 by default) or "https://"
    /// (443); any other URL fails with "Protocol not supported".
    void connect(const Url& url, Browse::Handler* handler);

    size_t hostLimit() const { return _hostLimit; }
    /// A limit of 0 counts as 1, as connectionLimit.
    void hostLimit(size_t limit) { _hostLimit = limit > 0 ? limit : 1; }

    /// Running requests of a host, and of all; a connection idling for the
    /// next request counts as one.
    size_t connections(const Dns::Hostname& host) const;
    size_t connections() const;
    /// Waiting requests of a host, and of all.
    size_t queue(const Dns::Hostname& host) const;
    size_t queue() const;

    void remove(Queue* queue);

    Cache* cache() const { return _cache; }
    /// Fetches `url` into memory for `downloader`, through the cache when
    /// there is one, following up to `redirects` redirects.
    void download(const Url& url, Downloader* downloader, size_t redirects);
    /// Posts `data` to `url`, never through the cache.
    void download(const Url& url, PostData data, Downloader* downloader, size_t redirects);
    /// Asks the cache for `url` on behalf of `download`, which the context
    /// fails should it go before the cache answers; fetched() takes it off.
    void fetch(const Url& url, Download* download);
    void fetched(Download* download);

    /// The most body bytes a download takes (256 MiB unless set); a larger
    /// body fails it with "download too large" and closes its connection.
    size_t bodyLimit() const { return _bodyLimit; }
    void bodyLimit(size_t bytes) { _bodyLimit = bytes; }

protected:
    /// An idle kept-alive connection of any host closes.
    void makeRoom() override;

private:
    Queue* find(const Dns::Hostname& host) const;
    /// Fails the downloads still waiting for the cache's answer.
    void abandonFetches();
    /// A count of the host's queue, or the sum over all without a host.
    size_t count(const Dns::Hostname* host, size_t (Queue::*what)() const) const;

    std::vector<Queue*> _queues;
    size_t _hostLimit = 2;
    Cache* _cache;
    /// Downloads asked of the cache and not yet answered.
    std::vector<Download*> _fetching;
    size_t _bodyLimit = 256 * 1024 * 1024;
};

} // namespace Browse
} // namespace Kestrava
