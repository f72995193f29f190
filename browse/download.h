#pragma once

#include "browse/cache.h"
#include "browse/data.h"
#include "browse/handler.h"
#include "browse/url.h"
#include "event/idlehandler.h"
#include "event/idlewatcher.h"

#include <cstddef>
#include <optional>

namespace Kestrava
{
namespace Browse
{

class Context;
class Downloader;

/**
 * One GET of a URL into memory for a Downloader: asks the context's cache
 * first, follows redirects, revalidates a stale cached copy by its entity
 * tag and stores what the cache may keep.
 *
 * States: cache lookup → waiting for a connection → request written →
 * head → body → completed; or handed on to the download of a redirect
 * target, answered from the cache, or failed. The downloader hears exactly
 * one report; once it has been told (or handed on) the download runs to
 * its connection's end without collecting. A body beyond the context's
 * body limit fails the download and closes its connection. A heap object
 * that deletes itself after its last report from the context or the cache;
 * it outlives its context when the cache answers after the context is
 * gone.
 */
class Download : public Handler, public Cache::Fetcher, private Event::IdleHandler
{
public:
    /// Starts `download`: a cache lookup when it has a cache, else a
    /// connection.
    static void start(Download* download);

    /// `secure`: whether every hop before this one came over HTTPS with a
    /// certificate that passed the check (true for a first download);
    /// `origin`: the URL of the first download of a redirect chain (null:
    /// this one).
    Download(Context* context, const Url& url, Downloader* downloader, size_t redirects,
             Cache* cache, bool secure, const Url* origin = nullptr);

    /// The context is going away while the cache has not answered: the
    /// downloader is told "operation cancelled", and the download waits
    /// for the answer only to delete itself.
    void abandon();

protected:
    ~Download() override;

    void onFailed(const char* message) override;
    void onExpired(Connection* connection) override;
    void onAvailable(Connection* connection) override;
    void onHeader(Connection* connection, const Header& header) override;
    void onReceived(Connection* connection, const char* data, size_t size) override;
    void onCompleted(Connection* connection) override;
    void onLost(Connection* connection) override;
    void onClosed(Connection* connection) override;
    void onFound(const std::string& key, const char* data, size_t size) override;
    void onNotFound(const std::string& key) override;

    /// Starts the download of a redirect target for `downloader`, with one
    /// redirect fewer; `status` is the redirect's.
    virtual void follow(const Url& target, int status, Downloader* downloader, bool secure);

    /// Whether the URL lies outside the first download's origin (scheme,
    /// host and port): the context's fixed credentials are not for it.
    bool foreign() const;
    /// The first download's URL.
    const Url& origin() const { return _origin ? *_origin : _url; }

    Context* _context;
    Url _url;
    /// The first download's URL, when a redirect led here.
    std::optional<Url> _origin;
    size_t _redirects;

private:
    void onIdle() override;

    /// Whether the cache's answer still counts; false, the download deleted,
    /// when it was abandoned.
    bool answerCounts();
    void redirect(int status, const char* location, bool secure);
    /// Whether `more` body bytes stay within the body limit; when they do
    /// not, the downloader is told and the connection closed.
    bool fits(Connection* connection, size_t more);
    void store();
    void deliver();
    /// Tells the downloader of a failure, when one is still waiting.
    void fail(int code, const char* message);
    /// Seconds since the epoch on the loop's clock.
    int64_t now() const;

    /// Null once told or handed on.
    Downloader* _downloader;
    /// The collected response, or the cached copy.
    Data _result;
    /// The result is the cached copy.
    bool _cached = false;
    /// A 2xx body is being collected into the result.
    bool _collecting = false;
    Cache* _cache;
    bool _secure;
    size_t _bodyLimit;
    /// Delivers a fresh cached copy on the next loop turn.
    Event::IdleWatcher _answer{this};
};

} // namespace Browse
} // namespace Kestrava
