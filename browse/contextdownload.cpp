// The download operations of Context, apart from its connection handling.
#include "browse/context.h"
#include "browse/post.h"
#include "browse/postdata.h"

#include <algorithm>
#include <utility>

namespace Kestrava
{
namespace Browse
{

void Context::download(const Url& url, Downloader* downloader, size_t redirects)
{
    Download::start(new Download(this, url, downloader, redirects, _cache, true));
}

void Context::download(const Url& url, PostData data, Downloader* downloader, size_t redirects)
{
    Download::start(new Post(this, url, std::move(data), downloader, redirects, true));
}

void Context::fetch(const Url& url, Download* download)
{
    // Nothing new goes to the cache once the context is going away.
    if (cancelled(download)) return;
    _fetching.push_back(download);
    _cache->fetch(url.text(), download);
}

void Context::fetched(Download* download)
{
    _fetching.erase(std::remove(_fetching.begin(), _fetching.end(), download), _fetching.end());
}

void Context::abandonFetches()
{
    for (Download* download : std::exchange(_fetching, {}))
        download->abandon();
}

} // namespace Browse
} // namespace Kestrava
