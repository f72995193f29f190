#include "tests/browse/downloadfixture.h"

#include "tests/browse/recorder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace Testing
{

DownloadTest::DownloadTest()
{
    pki.selfSign("rogue", "/CN=leaf.test");
    std::filesystem::create_directory(pki.path("log"));
}

DownloadTest::~DownloadTest() = default;

void DownloadTest::SetUp()
{
    _server = std::make_unique<Kestrava::OpenSSL::Test::Process>(
        std::vector<std::string>{
            "/usr/bin/python3", KESTRAVA_DOWNLOAD_SERVER, "--ports", pki.path("ports"), "--log",
            pki.path("log"), "--certificate", "leaf.test", pki.path("leaf.pem"),
            pki.path("leaf.key"), "--certificate", "second.test", pki.path("second.pem"),
            pki.path("second.key"), "--rogue", pki.path("rogue.pem"), pki.path("rogue.key")},
        pki.path("server.out"));
    for (int i = 0; i < 200 && !std::filesystem::exists(pki.path("ports")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::ifstream ports(pki.path("ports"));
    ASSERT_TRUE(ports >> _ports[0] >> _ports[1] >> _ports[2]) << pki.scratch().read("server.out");

    // Only the test CA is trusted, read when the client's TLS context is made.
    if (const char* trusted = getenv("SSL_CERT_FILE")) _trusted = trusted;
    setenv("SSL_CERT_FILE", pki.path("ca.pem").c_str(), 1);
    dnsLoop = std::make_unique<DNS::LibEv>(loop.loop(), true);
    dns = std::make_unique<DNS::Context>(dnsLoop.get(), true);
    context = std::make_unique<Kestrava::Browse::Context>(&loop, DNS::Ip("0.0.0.0"), *dns, &cache);
}

void DownloadTest::TearDown()
{
    // The context outlives what runs on it.
    EXPECT_TRUE(runUntil(loop, [&] { return context == nullptr || context->live() == 0; }));
    context.reset();
    dns.reset();
    dnsLoop.reset();
    if (_trusted.empty())
        unsetenv("SSL_CERT_FILE");
    else
        setenv("SSL_CERT_FILE", _trusted.c_str(), 1);
}

Kestrava::Browse::Url
DownloadTest::url(const std::string& host, Port port, const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& query)
{
    std::string text = std::string(port == Port::plain ? "http://" : "https://") + host + ":" +
                       std::to_string(_ports[static_cast<int>(port)]) + path;
    Kestrava::Browse::Url result(text.data(), text.size());
    for (const auto& [key, value] : query)
        result.add(key.c_str(), value.c_str());
    return result;
}

std::unique_ptr<DownloadRecorder> DownloadTest::download(const Kestrava::Browse::Url& url,
                                                         size_t redirects)
{
    auto recorder = std::make_unique<DownloadRecorder>();
    context->download(url, recorder.get(), redirects);
    EXPECT_EQ(recorder->reports, 0) << "reported from inside download()";
    EXPECT_TRUE(runUntil(loop, [&] { return recorder->reports > 0; }));
    return recorder;
}

std::vector<std::string> DownloadTest::requests() const
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(pki.path("log")))
        if (entry.path().extension() != ".new") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> texts;
    for (const auto& file : files)
    {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        texts.push_back(text.str());
    }
    return texts;
}

} // namespace Testing
