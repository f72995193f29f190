// POSTs of 1 KiB bodies to a local nginx (keep-alive, answering 200) with
// 1, 16 and 64 requests in flight, for this client and for libcurl's multi
// interface in the same run; each next request is issued when one
// completes. Then one at a time to a server that writes each answer's head
// and body apart, where a delayed acknowledgement of the head holds back the
// body. Then the memory that each open keep-alive connection costs,
// with many held open by a server that never answers.
#include "browse/connection.h"
#include "browse/context.h"
#include "browse/handler.h"
#include "browse/url.h"
#include "dns/context.h"
#include "dns/loop/libev.h"
#include "apartserver.h"
#include "event/threadloop.h"
#include "tests/browse/nginx.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{

using Kestrava::Browse::Connection;

uint16_t nginxPort = 0;
uint16_t apartPort = 0;
const std::string body(1024, 'j');
// Requests per benchmark iteration.
const int batch = 4000;
// Fewer where a stall of the head's acknowledgement may cost 40 ms each.
const int apartBatch = 100;

std::string serverUrl(uint16_t port)
{
    return "http://127.0.0.1:" + std::to_string(port) + "/hook";
}

/// Our client: one handler for every request; each completion issues the
/// next while the batch lasts.
class Poster : public Kestrava::Browse::Handler
{
public:
    Poster(size_t inFlight, uint16_t port)
        : _url(serverUrl(port).c_str(), serverUrl(port).size()),
          _context(&_loop, DNS::Ip("0.0.0.0"), _dns)
    {
        _context.hostLimit(inFlight);
        _context.connectionLimit(inFlight);
        _context.fixedHeaders().add("User-agent: Quillmere Webhook Caller");
        _context.fixedHeaders().add("Connection: keep-alive");
        _inFlight = inFlight;
    }

    /// Waits for `count` more requests to end while `inFlight` stay
    /// outstanding (the steady state: connections stay open between
    /// iterations); false when any failed.
    bool run(int count)
    {
        if (_outstanding == 0)
            for (size_t i = 0; i < _inFlight; ++i)
                issue();
        int target = _ended + count;
        int failed = _failed;
        while (_ended < target)
            ev_run(_loop.loop(), EVRUN_ONCE);
        return _failed == failed;
    }

    /// Lets the outstanding requests end, and their connections with them.
    ~Poster() override
    {
        _draining = true;
        while (_outstanding > 0 || _context.live() > 0)
            ev_run(_loop.loop(), EVRUN_ONCE);
    }

    void onAvailable(Connection* connection) override
    {
        connection->request("POST", "/hook", 5);
        static const char type[] = "Content-type: application/json";
        connection->header(type, sizeof type - 1);
        connection->header("Content-length: 1024", 20);
        connection->emptyline();
        connection->socket()->write(body.data(), body.size(), true);
    }
    void onHeader(Connection*, const Kestrava::Browse::Header&) override {}
    void onReceived(Connection*, const char*, size_t) override {}
    void onCompleted(Connection*) override { end(false); }
    void onFailed(const char*) override { end(true); }
    void onExpired(Connection*) override { end(true); }
    void onLost(Connection*) override { end(true); }
    void onClosed(Connection*) override { end(true); }

private:
    void issue()
    {
        ++_outstanding;
        _context.connect(_url, this);
    }
    void end(bool failed)
    {
        --_outstanding;
        ++_ended;
        _failed += failed;
        if (!_draining) issue();
    }

    Kestrava::Event::ThreadLoop _loop;
    DNS::LibEv _dnsLoop{_loop.loop(), true};
    DNS::Context _dns{&_dnsLoop, true};
    Kestrava::Browse::Url _url;
    Kestrava::Browse::Context _context;
    size_t _inFlight;
    size_t _outstanding = 0;
    int _ended = 0;
    int _failed = 0;
    bool _draining = false;
};

size_t discard(char*, size_t size, size_t count, void*)
{
    return size * count;
}

/// libcurl's multi interface doing the same.
class CurlPoster
{
public:
    CurlPoster(size_t inFlight, uint16_t port) : _multi(curl_multi_init()), _url(serverUrl(port))
    {
        curl_multi_setopt(_multi, CURLMOPT_MAX_HOST_CONNECTIONS, static_cast<long>(inFlight));
        curl_multi_setopt(_multi, CURLMOPT_MAXCONNECTS, static_cast<long>(inFlight));
        _headers = curl_slist_append(_headers, "Content-type: application/json");
        _headers = curl_slist_append(_headers, "User-agent: Quillmere Webhook Caller");
        _headers = curl_slist_append(_headers, "Expect:");
        for (size_t i = 0; i < inFlight; ++i)
        {
            CURL* easy = curl_easy_init();
            curl_easy_setopt(easy, CURLOPT_URL, _url.c_str());
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
            curl_easy_setopt(easy, CURLOPT_HTTPHEADER, _headers);
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, discard);
            _easies.push_back(easy);
        }
    }
    ~CurlPoster()
    {
        for (CURL* easy : _easies)
            curl_easy_cleanup(easy);
        curl_multi_cleanup(_multi);
        curl_slist_free_all(_headers);
    }

    /// As Poster::run.
    bool run(int count)
    {
        if (!_started)
            for (CURL* easy : _easies)
                curl_multi_add_handle(_multi, easy);
        _started = true;
        int ended = 0;
        bool ok = true;
        while (ended < count)
        {
            int running = 0;
            curl_multi_perform(_multi, &running);
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(_multi, &queued))
            {
                if (message->msg != CURLMSG_DONE) continue;
                ++ended;
                ok = ok && message->data.result == CURLE_OK;
                CURL* easy = message->easy_handle;
                curl_multi_remove_handle(_multi, easy);
                curl_multi_add_handle(_multi, easy);
            }
            if (ended < count) curl_multi_poll(_multi, nullptr, 0, 1000, nullptr);
        }
        return ok;
    }

private:
    CURLM* _multi;
    std::string _url;
    curl_slist* _headers = nullptr;
    std::vector<CURL*> _easies;
    bool _started = false;
};

template <typename Client> void posts(benchmark::State& state, uint16_t port, int requests)
{
    Client client(static_cast<size_t>(state.range(0)), port);
    for (auto _ : state)
        if (!client.run(requests)) state.SkipWithError("a request failed");
    state.counters["requests/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * requests, benchmark::Counter::kIsRate);
}

void BM_Browse(benchmark::State& state)
{
    posts<Poster>(state, nginxPort, batch);
}
void BM_Curl(benchmark::State& state)
{
    posts<CurlPoster>(state, nginxPort, batch);
}
void BM_BrowseHeadAndBodyApart(benchmark::State& state)
{
    posts<Poster>(state, apartPort, apartBatch);
}
void BM_CurlHeadAndBodyApart(benchmark::State& state)
{
    posts<CurlPoster>(state, apartPort, apartBatch);
}

BENCHMARK(BM_Browse)->Arg(1)->Arg(16)->Arg(64)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Curl)->Arg(1)->Arg(16)->Arg(64)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowseHeadAndBodyApart)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurlHeadAndBodyApart)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

/// Resident bytes of the process now.
long residentBytes()
{
    long pages = 0;
    long resident = 0;
    FILE* file = fopen("/proc/self/statm", "r");
    if (file == nullptr || fscanf(file, "%ld %ld", &pages, &resident) != 2) resident = 0;
    if (file != nullptr) fclose(file);
    return resident * sysconf(_SC_PAGESIZE);
}

/// Opens `count` connections to a listener that never accepts, each with a
/// request written, and reports the memory they take.
class Holder : public Kestrava::Browse::Handler
{
public:
    int available = 0;
    void onAvailable(Connection* connection) override
    {
        ++available;
        connection->request("POST", "/hook", 5);
        connection->header("Content-length: 1024", 20);
        connection->emptyline();
        connection->socket()->write(body.data(), body.size(), true);
    }
    void onHeader(Connection*, const Kestrava::Browse::Header&) override {}
    void onReceived(Connection*, const char*, size_t) override {}
    void onCompleted(Connection*) override {}
    void onFailed(const char*) override { ++failed; }
    void onExpired(Connection*) override {}
    void onLost(Connection*) override {}
    void onClosed(Connection*) override {}
    int failed = 0;
};

void measureOpenConnections(int count)
{
    uint16_t port = 0;
    int listener = bindLoopback(port);
    if (listen(listener, count + 16) != 0) throw std::runtime_error("no listener");

    Kestrava::Event::ThreadLoop loop;
    DNS::LibEv dnsLoop(loop.loop(), true);
    DNS::Context dns(&dnsLoop, true);
    std::string text = serverUrl(port);
    Kestrava::Browse::Url url(text.c_str(), text.size());
    Holder holder;
    long before = 0;
    {
        Kestrava::Browse::Context context(&loop, DNS::Ip("0.0.0.0"), dns);
        context.hostLimit(static_cast<size_t>(count));
        context.connectionLimit(static_cast<size_t>(count));
        context.timeout(60.0);
        before = residentBytes();
        for (int i = 0; i < count; ++i)
            context.connect(url, &holder);
        while (holder.available + holder.failed < count)
            ev_run(loop.loop(), EVRUN_ONCE);
        long after = residentBytes();
        printf("open connections: %d (%d failed), resident memory %+ld bytes, %.0f bytes per "
               "connection\n",
               holder.available, holder.failed, after - before,
               static_cast<double>(after - before) / count);
        // The connections go when the listener does.
        close(listener);
        while (context.live() > 0)
            ev_run(loop.loop(), EVRUN_ONCE);
    }
}

} // namespace

int main(int argc, char** argv)
{
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    {
        Nginx nginx;
        ApartServer apart;
        nginxPort = nginx.port();
        apartPort = apart.port();
        benchmark::RunSpecifiedBenchmarks();
    }
    measureOpenConnections(2000);
    curl_global_cleanup();
    return 0;
}
