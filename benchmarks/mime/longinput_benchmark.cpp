// Long hostile inputs: a parameter continued over many numbered sections,
// most of them out of order, a DKIM signature naming many header lines, and
// a set() that replaces a field repeated on every other line of a header.
// The cost must grow with the input, not with its square.
#include "mime/dkim/dkimsignature.h"
#include "mime/dkim/dkimstatus.h"
#include "mime/object.h"
#include "mime/fields/params.h"
#include "openssl/publickey.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace Kestrava::Mime;

namespace
{

void BM_ContinuedParameter(benchmark::State& state)
{
    auto sections = static_cast<unsigned>(state.range(0));
    std::string text = "a*0=x";
    for (unsigned section = sections - 1; section > 0; --section)
        text += "; a*" + std::to_string(section) + "=x";
    for (auto _ : state)
    {
        Params params(text.data(), text.size(), false);
        benchmark::DoNotOptimize(params.get("a"));
    }
    state.SetComplexityN(state.range(0));
}

/// The RSA key of dkimpy's test data, for a verification that runs to its
/// header hash.
std::string publicKey()
{
    std::ifstream file("/usr/lib/python3/dist-packages/dkim/tests/data/test.txt");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str().substr(text.str().find("p=") + 2);
}

void BM_LongSignedHeaderList(benchmark::State& state)
{
    static const Kestrava::OpenSSL::PublicKey key(publicKey().c_str());
    auto lines = static_cast<size_t>(state.range(0));
    std::string names = "from";
    std::string header = "From: a@example.com\r\n";
    for (size_t line = 0; line < lines; ++line)
    {
        names += ":x";
        header += "X: y\r\n";
    }
    std::string text = "DKIM-Signature: v=1; a=rsa-sha256; d=example.com; s=sel; h=" + names +
                       "; bh=AAAA; b=AAAA\r\n" + header + "\r\nbody\r\n";
    Object message(text.data(), text.size());
    const Value& value = message.header.get("dkim-signature");
    DkimSignature signature(value.data, value.size, true, false);
    for (auto _ : state)
    {
        DkimStatus status(signature);
        benchmark::DoNotOptimize(status.initialize(message, signature, key, false));
    }
    state.SetComplexityN(state.range(0));
}

void BM_SetOverRepeatedField(benchmark::State& state)
{
    std::string text;
    // Every other line: each one erased alone would move all after it.
    for (int64_t line = 0; line < state.range(0); line += 2)
        text += "X: y\r\nZ: y\r\n";
    text += "\r\nbody\r\n";
    for (auto _ : state)
    {
        state.PauseTiming();
        Object message(text.data(), text.size());
        state.ResumeTiming();
        message.header.set("x", "z");
        benchmark::DoNotOptimize(message.header.size());
    }
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_ContinuedParameter)
    ->Range(1 << 10, 1 << 14)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongSignedHeaderList)
    ->Range(1 << 10, 1 << 14)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_SetOverRepeatedField)
    ->Range(1 << 12, 1 << 18)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
