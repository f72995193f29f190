#include "browse/post.h"

#include "browse/connection.h"
#include "browse/context.h"

#include <cstring>
#include <string>
#include <utility>

namespace Kestrava
{
namespace Browse
{

Post::Post(Context* context, const Url& url, PostData data, Downloader* downloader,
           size_t redirects, bool secure, const Url* origin)
    : Download(context, url, downloader, redirects, nullptr, secure, origin), _data(std::move(data))
{
}

void Post::onAvailable(Connection* connection)
{
    const char* path = _url.path() != nullptr ? _url.path() : "";
    const std::string& type = _data.contentType();
    std::string length = std::to_string(_data.body().size());
    connection->request("POST", path, strlen(path), foreign());
    connection->header("connection", 10, "keep-alive", 10);
    connection->header("content-type", 12, type.data(), type.size());
    connection->header("content-length", 14, length.data(), length.size());
    connection->emptyline(_data.body().data(), _data.body().size());
}

void Post::follow(const Url& next, int status, Downloader* downloader, bool secure)
{
    // RFC 9110 section 15.4: 307 and 308 repeat the request as it was; the
    // others are followed with a GET, as browsers do.
    if (status != 307 && status != 308) return Download::follow(next, status, downloader, secure);
    start(new Post(_context, next, _data, downloader, _redirects - 1, secure, &origin()));
}

} // namespace Browse
} // namespace Kestrava
