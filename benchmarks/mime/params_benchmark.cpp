// Reading a parameter continued over many numbered sections, most of them
// out of order: the cost must grow with the list, not with its square.
#include "mime/params.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK(BM_ContinuedParameter)
    ->Range(1 << 10, 1 << 14)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
