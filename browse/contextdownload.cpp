// The download operations of Context, apart from its connection handling.
#include "browse/context.h"
#include "browse/post.h"
#include "browse/postdata.h"

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

} // namespace Browse
} // namespace Kestrava
