#pragma once

#include "browse/download.h"
#include "browse/postdata.h"

namespace Kestrava
{
namespace Browse
{

/**
 * A POST of a body into memory. It never asks or fills the cache. A 307 or
 * 308 redirect posts the same body again; the others turn it into a GET.
 */
class Post : public Download
{
public:
    Post(Context* context, const Url& url, PostData data, Downloader* downloader, size_t redirects,
         bool secure, const Url* origin = nullptr);

protected:
    void onAvailable(Connection* connection) override;
    void follow(const Url& target, int status, Downloader* downloader, bool secure) override;

private:
    PostData _data;
};

} // namespace Browse
} // namespace Kestrava
