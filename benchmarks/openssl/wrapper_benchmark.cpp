// What a bound forwarding function adds to a call into OpenSSL: measured
// against the same entry point called through its bare dlsym() pointer.

#include "openssl/availability.h"
#include "openssl/functions.h"
#include "openssl/ownedbio.h"

#include <benchmark/benchmark.h>

#include <dlfcn.h>

namespace OpenSSL = Kestrava::OpenSSL;

namespace
{

void forwarded(benchmark::State& state)
{
    OpenSSL::Bio bio(OpenSSL::BIO_s_mem());
    for (auto _ : state)
        benchmark::DoNotOptimize(OpenSSL::BIO_test_flags(bio.bio(), BIO_FLAGS_SHOULD_RETRY));
}

void direct(benchmark::State& state)
{
    OpenSSL::Bio bio(OpenSSL::BIO_s_mem());
    auto testFlags =
        reinterpret_cast<int (*)(const BIO*, int)>(dlsym(OpenSSL::handle(), "BIO_test_flags"));
    for (auto _ : state)
        benchmark::DoNotOptimize(testFlags(bio.bio(), BIO_FLAGS_SHOULD_RETRY));
}

/// Reads the API level on every call before forwarding.
void forwardedByApiLevel(benchmark::State& state)
{
    char* text = nullptr;
    for (auto _ : state)
    {
        OpenSSL::CRYPTO_free(text);
        benchmark::DoNotOptimize(text);
    }
}

} // namespace

BENCHMARK(forwarded);
BENCHMARK(direct);
BENCHMARK(forwardedByApiLevel);

BENCHMARK_MAIN();
