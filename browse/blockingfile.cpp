#include "browse/blockingfile.h"

#include "browse/context.h"
#include "browse/postdata.h"
#include "browse/url.h"
#include "dns/context.h"
#include "dns/loop/libev.h"
#include "dns/message/ip.h"
#include "event/threadloop.h"

#include <ev.h>

#include <stdexcept>
#include <utility>

namespace Kestrava
{
namespace Browse
{

namespace
{
constexpr size_t redirectLimit = 10;
}

BlockingFile::BlockingFile(const Url& url)
{
    fetch([&](Context& context) { context.download(url, this, redirectLimit); });
}

BlockingFile::BlockingFile(const Url& url, PostData&& data)
{
    fetch([&](Context& context) { context.download(url, std::move(data), this, redirectLimit); });
}

template <typename Start> void BlockingFile::fetch(Start start)
{
    {
        Event::ThreadLoop loop;
        DNS::LibEv dnsLoop(loop.loop(), true);
        DNS::Context dns(&dnsLoop, true);
        Context context(&loop, DNS::Ip("0.0.0.0"), dns);
        start(context);
        ev_run(loop.loop(), 0);
    }
    // Only a delivered file is a success: a download that ended without a
    // report must not pass for an empty file.
    if (_members != nullptr) return;
    throw std::runtime_error(_error.empty() ? "download failed" : _error);
}

void BlockingFile::onDownloaded(const File& file)
{
    _members = file.members();
}

void BlockingFile::onFailed(int, const char* message)
{
    _error = message;
}

} // namespace Browse
} // namespace Kestrava
