#pragma once

#include "browse/context.h"
#include "browse/url.h"
#include "dns/context.h"
#include "dns/loop/libev.h"
#include "event/threadloop.h"
#include "tests/browse/downloadrecorder.h"
#include "tests/browse/memorycache.h"
#include "tests/openssl/support/pki.h"
#include "tests/openssl/support/process.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Testing
{

/**
 * The scripted download server (downloadserver.py) on loopback with
 * certificates of a fresh test CA for leaf.test and second.test, a rogue
 * self-signed one, and a client context with a cache in memory. The test
 * CA is the one the client trusts. Runs inside namespace.sh, whose hosts
 * file names leaf.test and second.test.
 */
class DownloadTest : public testing::Test
{
public:
    enum class Port
    {
        plain,
        tls,
        rogue
    };

protected:
    DownloadTest();
    ~DownloadTest() override;

    void SetUp() override;
    void TearDown() override;

    /// "http://" (or "https://") `host`:port `path`, with the query
    /// parameters added in order (encoded).
    Kestrava::Browse::Url url(const std::string& host, Port port, const std::string& path,
                              const std::vector<std::pair<std::string, std::string>>& query = {});
    /// Downloads `url` through the context (`redirects` allowed) and runs
    /// the loop until the download has reported.
    std::unique_ptr<DownloadRecorder> download(const Kestrava::Browse::Url& url,
                                               size_t redirects = 5);
    /// The requests the server got so far, each whole.
    std::vector<std::string> requests() const;

    Kestrava::OpenSSL::Test::Pki pki;
    Kestrava::Event::ThreadLoop loop;
    MemoryCache cache{&loop};
    std::unique_ptr<DNS::LibEv> dnsLoop;
    std::unique_ptr<DNS::Context> dns;
    std::unique_ptr<Kestrava::Browse::Context> context;

private:
    std::unique_ptr<Kestrava::OpenSSL::Test::Process> _server;
    uint16_t _ports[3] = {};
    std::string _trusted;
};

} // namespace Testing
