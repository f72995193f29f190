// Lookups per second against a local dnsmasq, with 1, 16, 64 and 10,000
// lookups in flight, for this resolver and for c-ares on the same server in
// the same run, both sending EDNS with a 1200-octet payload. The heap
// counters tell the bytes in use after the first batch and how much that
// grew over the run: flat memory means it follows the lookups in flight,
// not the number made. Needs root: it makes a private network namespace of
// its own, so that the server can have port 53 on loopback, and starts and
// stops dnsmasq there.
#include "benchmarks/privatenetwork.h"
#include "dns/context.h"

#include "dns/loop/libev.h"
#include "dns/message/bits.h"
#include "dns/message/query.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include <ares.h>
#include <arpa/inet.h>
#include <malloc.h>
#include <arpa/nameser.h>
#include <ev.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace
{

const char* const name = "bench.test";

// dnsmasq's default receive buffer on loopback takes a burst of about two
// hundred queries and drops the rest, which then wait for their time-outs:
// beyond this many the resolver holds the lookups in flight back itself
// (its capacity), so that 10,000 of them measure the resolver, not the
// time-outs. c-ares has no such bound: its 10,000 measure the time-outs.
const size_t onTheWire = 128;

/// Lookups completed per benchmark iteration: every lookup in flight
/// completes once at least.
int batchSize(int inflight)
{
    return std::max(1024, inflight);
}

double heapBytes()
{
    return static_cast<double>(mallinfo2().uordblks);
}

/// The processor time of the calling thread, the one that drives the lookups.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

/// Runs the batches and records the heap after the first and after the
/// last, and the processor time a lookup costs the thread that drives it.
template <typename Batch> void measure(benchmark::State& state, Batch batch)
{
    const int size = batchSize(static_cast<int>(state.range(0)));
    double first = -1;
    const double start = threadSeconds();
    for (auto _ : state)
    {
        batch();
        if (first < 0) first = heapBytes();
    }
    state.counters["cpu_us_per_lookup"] =
        (threadSeconds() - start) * 1e6 / static_cast<double>(state.iterations() * size);
    state.SetItemsProcessed(state.iterations() * size);
    state.counters["heap_kb"] = first / 1024;
    state.counters["heap_growth_kb"] = (heapBytes() - first) / 1024;
}

/// Starts lookups as earlier ones complete, keeping a fixed number in flight.
class Driver : public DNS::Handler
{
public:
    Driver(DNS::Context& context, int inflight) : _context(context), _inflight(inflight) {}

    void runBatch()
    {
        _toStart = batchSize(_inflight);
        for (int i = 0; i < _inflight; ++i)
            start();
        ev_run(_loop, 0);
    }

    struct ev_loop* _loop = nullptr;
    int _failures = 0;

private:
    void start()
    {
        if (_toStart == 0) return;
        --_toStart;
        _context.query(name, ns_t_a, DNS::Bits(), this);
    }
    void onResolved(const DNS::Operation*, const DNS::Response&) override { start(); }
    void onFailure(const DNS::Operation*, int) override
    {
        ++_failures;
        start();
    }

    DNS::Context& _context;
    int _inflight;
    int _toStart = 0;
};

void kestrava(benchmark::State& state)
{
    char path[] = "/tmp/kestrava-bench-XXXXXX";
    int fd = mkstemp(path);
    const char conf[] = "nameserver 127.0.0.1\noptions timeout:2 attempts:2\n";
    if (fd < 0 || write(fd, conf, sizeof conf - 1) != ssize_t(sizeof conf - 1))
        throw std::runtime_error("cannot write resolv.conf");
    close(fd);
    struct ev_loop* loop = ev_loop_new(0);
    {
        DNS::LibEv adapter(loop, true);
        DNS::Context context(&adapter, path, "/dev/null");
        context.capacity(std::min(static_cast<size_t>(state.range(0)), onTheWire));
        Driver driver(context, static_cast<int>(state.range(0)));
        driver._loop = loop;
        measure(state, [&driver] { driver.runBatch(); });
        state.counters["failures"] = driver._failures;
    }
    ev_loop_destroy(loop);
    unlink(path);
}

struct AresDriver
{
    ares_channel channel;
    int toStart = 0;
    int outstanding = 0;
    int failures = 0;

    void start()
    {
        if (toStart == 0) return;
        --toStart;
        ++outstanding;
        ares_query(channel, name, ns_c_in, ns_t_a, &AresDriver::done, this);
    }
    static void done(void* argument, int status, int, unsigned char*, int)
    {
        auto* driver = static_cast<AresDriver*>(argument);
        --driver->outstanding;
        if (status != ARES_SUCCESS) ++driver->failures;
        driver->start();
    }
};

void cares(benchmark::State& state)
{
    AresDriver driver;
    ares_options options{};
    // Like ours: EDNS with the same payload size, no search, no hosts file.
    options.flags = ARES_FLAG_NOSEARCH | ARES_FLAG_EDNS;
    options.ednspsz = 1200;
    options.lookups = const_cast<char*>("b");
    if (ares_init_options(&driver.channel, &options,
                          ARES_OPT_FLAGS | ARES_OPT_EDNSPSZ | ARES_OPT_LOOKUPS) != ARES_SUCCESS ||
        ares_set_servers_csv(driver.channel, "127.0.0.1") != ARES_SUCCESS)
        throw std::runtime_error("cannot set c-ares up");
    const int inflight = static_cast<int>(state.range(0));
    measure(state,
            [&driver, inflight]
            {
                driver.toStart = batchSize(inflight);
                for (int i = 0; i < inflight; ++i)
                    driver.start();
                while (driver.outstanding > 0)
                {
                    fd_set readers, writers;
                    FD_ZERO(&readers);
                    FD_ZERO(&writers);
                    int count = ares_fds(driver.channel, &readers, &writers);
                    timeval wait, *timeout = ares_timeout(driver.channel, nullptr, &wait);
                    select(count, &readers, &writers, nullptr, timeout);
                    ares_process(driver.channel, &readers, &writers);
                }
            });
    state.counters["failures"] = driver.failures;
    ares_destroy(driver.channel);
}

BENCHMARK(kestrava)->Arg(1)->Arg(16)->Arg(64)->Arg(10000)->UseRealTime();
BENCHMARK(cares)->Arg(1)->Arg(16)->Arg(64)->Arg(10000)->UseRealTime();

pid_t startDnsmasq()
{
    pid_t pid = fork();
    if (pid == 0)
    {
        execl("/usr/sbin/dnsmasq", "dnsmasq", "--keep-in-foreground", "--conf-file=/dev/null",
              "--no-resolv", "--no-hosts", "--no-poll", "--bind-interfaces",
              "--listen-address=127.0.0.1", "--port=53", "--user=root",
              "--pid-file=", "--log-facility=/dev/null", "--host-record=bench.test,192.0.2.1",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

/// Waits until the server answers a query, for at most five seconds.
bool answering()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(53);
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    bool answered = false;
    for (int attempt = 0; attempt < 50 && !answered; ++attempt)
    {
        DNS::Query query(ns_o_query, name, ns_t_a, DNS::Bits());
        sendto(fd, query.data(), query.size(), 0, reinterpret_cast<sockaddr*>(&server),
               sizeof server);
        pollfd wait{fd, POLLIN, 0};
        answered = poll(&wait, 1, 100) == 1;
    }
    close(fd);
    return answered;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    try
    {
        Bench::enterPrivateNetwork();
    }
    catch (const std::exception& error)
    {
        fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    ares_library_init(ARES_LIB_INIT_ALL);
    pid_t dnsmasq = startDnsmasq();
    int status = 1;
    if (answering())
    {
        benchmark::RunSpecifiedBenchmarks();
        status = 0;
    }
    else
        fprintf(stderr, "dnsmasq did not answer\n");
    kill(dnsmasq, SIGTERM);
    waitpid(dnsmasq, nullptr, 0);
    ares_library_cleanup();
    benchmark::Shutdown();
    return status;
}
