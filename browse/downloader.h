#pragma once

namespace Kestrava
{
namespace Browse
{

class File;

/**
 * The party that wants a download. Exactly one of the two reports comes,
 * once, never from inside the call that started the download. A report may
 * come while the response is still being read (a failed status, a cached
 * copy confirmed by the server): the downloader may start other downloads
 * in it, but the context must outlive it. Not owned by the library: it
 * must live until reported to.
 */
class Downloader
{
public:
    /// The file, complete; copies of it share its contents.
    virtual void onDownloaded(const File& file) { (void)file; }
    /// The download failed: `code` is the HTTP status, or 0 when no usable
    /// answer came; `message` is valid only during the call.
    virtual void onFailed(int code, const char* message)
    {
        (void)code;
        (void)message;
    }
    virtual ~Downloader() = default;
};

} // namespace Browse
} // namespace Kestrava
