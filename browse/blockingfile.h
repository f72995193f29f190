#pragma once

#include "browse/downloader.h"
#include "browse/file.h"

#include <string>

namespace Kestrava
{
namespace Browse
{

class PostData;
class Url;

/**
 * A file fetched synchronously: the constructor runs a private event loop
 * with its own resolver and client context on the calling thread until the
 * download has ended, following up to 10 redirects. It succeeds only when
 * the file arrived; otherwise it throws std::runtime_error with the
 * failure's message.
 */
class BlockingFile : public File, public Downloader
{
public:
    explicit BlockingFile(const Url& url);
    BlockingFile(const Url& url, PostData&& data);

    void onDownloaded(const File& file) override;
    void onFailed(int code, const char* message) override;

private:
    template <typename Start> void fetch(Start start);

    std::string _error;
};

} // namespace Browse
} // namespace Kestrava
