#include "browse/download.h"

#include "browse/cachepolicy.h"
#include "browse/connection.h"
#include "browse/context.h"
#include "browse/downloader.h"
#include "browse/header.h"
#include "browse/waiter.h"
#include "event/loop.h"

#include <ev.h>

#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include <strings.h>

namespace Kestrava
{
namespace Browse
{

namespace
{

bool isHttpsKey(const std::string& key)
{
    return strncasecmp(key.c_str(), "https://", 8) == 0;
}

/// The port a request to the URL goes to.
unsigned long portOf(const Url& url)
{
    return url.port() != 0 ? url.port() : isHttpsKey(url.text()) ? 443 : 80;
}

} // namespace

void Download::start(Download* download)
{
    // Nothing of the download may be touched after the call: the cache may
    // answer inside it.
    if (download->_cache != nullptr) return download->_context->fetch(download->_url, download);
    download->_context->connect(download->_url, download);
}

Download::Download(Context* context, const Url& url, Downloader* downloader, size_t redirects,
                   Cache* cache, bool secure, const Url* origin)
    : _context(context), _url(url),
      _origin(origin != nullptr ? std::optional<Url>(*origin) : std::nullopt),
      _redirects(redirects), _downloader(downloader), _cache(cache), _secure(secure),
      _bodyLimit(context->bodyLimit())
{
}

bool Download::foreign() const
{
    if (!_origin) return false;
    // RFC 6454 section 5: an origin is scheme, host and port; only http and
    // https reach a download.
    const char* host = _url.hostname().ascii();
    const char* originHost = _origin->hostname().ascii();
    return isHttpsKey(_url.text()) != isHttpsKey(_origin->text()) ||
           portOf(_url) != portOf(*_origin) || host == nullptr || originHost == nullptr ||
           strcasecmp(host, originHost) != 0;
}

Download::~Download() = default;

void Download::abandon()
{
    _context = nullptr;
    fail(0, "operation cancelled");
}

bool Download::answerCounts()
{
    if (_context != nullptr)
    {
        _context->fetched(this);
        return true;
    }
    delete this;
    return false;
}

void Download::onFailed(const char* message)
{
    fail(0, message);
    delete this;
}

void Download::onExpired(Connection*)
{
    fail(0, "connection timed out");
    delete this;
}

void Download::onAvailable(Connection* connection)
{
    const char* path = _url.path() != nullptr ? _url.path() : "";
    connection->request("GET", path, strlen(path), foreign());
    connection->header("connection", 10, "keep-alive", 10);
    if (const char* etag = _cached ? _result.header().get("etag") : nullptr)
        connection->header("if-none-match", 13, etag, strlen(etag));
    connection->emptyline();
}

void Download::onHeader(Connection* connection, const Header& header)
{
    if (_downloader == nullptr) return;
    // Interim answers come before the final one.
    if (header.interim()) return;
    int status = header.status();
    bool secure = _secure && header.secure();
    if (status == 304 && _cached && _result.header().get("etag") != nullptr)
    {
        // The copy is no safer than the answer that vouches for it.
        if (_result.header().secure() && !secure)
            _result = Data(std::make_shared<File::Members>(_url, _result.contents().data(),
                                                           _result.contents().size(), false));
        return deliver();
    }
    // An empty Location names no target, though as a reference it would
    // be this URL again: the 3xx is one without it (as curl takes it).
    const char* location = header.get("location");
    if (location != nullptr && location[strspn(location, " \t")] == '\0') location = nullptr;
    if (status >= 300 && status < 400 && location != nullptr && _redirects > 0)
        return redirect(status, location, secure);
    // A 101 is final too, and no file.
    if (status < 200 || status >= 300) return fail(status, "download failed");
    // Only chunks are taken off: a body under another transfer coding
    // (which no request of ours invites, RFC 9110 section 10.1.4) would be
    // handed on still coded.
    bool transferCoded = header.get("transfer-encoding") != nullptr;
    if (transferCoded && !header.chunked()) return fail(status, "download failed");
    // A body announced beyond the limit fails before any of it is read;
    // chunks frame the body whatever a Content-Length says.
    size_t announced = transferCoded ? 0 : header.contentLength();
    if (!fits(connection, announced)) return;
    _result = Data(std::make_shared<File::Members>(_url, header, secure));
    _cached = false;
    _collecting = true;
}

void Download::redirect(int status, const char* location, bool secure)
{
    std::optional<Url> next;
    try
    {
        // A field value ends before trailing blanks (RFC 9110 section 5.5).
        size_t length = strlen(location);
        while (length > 0 && (location[length - 1] == ' ' || location[length - 1] == '\t'))
            --length;
        next.emplace(_url, std::string(location, length).c_str());
    }
    catch (const std::exception&)
    {
        // A location that makes no URL is the answer's fault, not ours.
        return fail(status, "download failed");
    }
    follow(*next, status, std::exchange(_downloader, nullptr), secure);
}

void Download::follow(const Url& next, int, Downloader* downloader, bool secure)
{
    start(new Download(_context, next, downloader, _redirects - 1, _context->cache(), secure,
                       &origin()));
}

void Download::onReceived(Connection* connection, const char* data, size_t size)
{
    if (_downloader == nullptr || !_collecting) return;
    if (fits(connection, _result.body().size() + size))
        _result.members()->contents.append(data, size);
}

bool Download::fits(Connection* connection, size_t body)
{
    if (body <= _bodyLimit) return true;
    // The rest is not read: the connection goes, and its close ends us.
    _collecting = false;
    _result = Data();
    fail(0, "download too large");
    connection->close();
    return false;
}

void Download::onCompleted(Connection* connection)
{
    if (_cache != nullptr && !_result.empty() &&
        !(connection->https() && !connection->secure(true)))
        store();
    deliver();
    delete this;
}

void Download::store()
{
    int64_t lifetime = CachePolicy::unknown;
    if (!CachePolicy(_result.header(), now()).storable(lifetime)) return;
    const std::string& data = _result.contents();
    _cache->store(_url.text(), data.data(), data.size(), lifetime, new Waiter(_result));
}

void Download::onLost(Connection*)
{
    fail(0, "connection lost");
    delete this;
}

void Download::onClosed(Connection*)
{
    // A close before the response ended: nothing complete came.
    fail(0, "connection lost");
    delete this;
}

void Download::onFound(const std::string& key, const char* data, size_t size)
{
    if (!answerCounts()) return;
    try
    {
        _result =
            Data(std::make_shared<File::Members>(_url, data, size, isHttpsKey(key) && _secure));
        _cached = true;
    }
    catch (const std::exception&)
    {
        // A copy that does not parse is no copy.
        _result = Data();
        return _context->connect(_url, this);
    }
    // Answered on a later loop turn: the cache may have answered inside
    // start().
    if (CachePolicy(_result.header(), now()).fresh())
        return _answer.start(_context->loop()->loop());
    _context->connect(_url, this);
}

void Download::onNotFound(const std::string&)
{
    if (answerCounts()) _context->connect(_url, this);
}

void Download::onIdle()
{
    _answer.stop();
    deliver();
    delete this;
}

void Download::deliver()
{
    if (Downloader* downloader = std::exchange(_downloader, nullptr))
        downloader->onDownloaded(_result);
}

void Download::fail(int code, const char* message)
{
    if (Downloader* downloader = std::exchange(_downloader, nullptr))
        downloader->onFailed(code, message);
}

int64_t Download::now() const
{
    return static_cast<int64_t>(ev_now(_context->loop()->loop()));
}

} // namespace Browse
} // namespace Kestrava
