// The service's JSON work on one document: the one-pass filtered copy, next
// to the tree path it replaced (parse into values, remove by pointer, write
// compact) and to libfastjson alone parsing and writing the same text.
// Argument 0: the order-shaped document of 1 KiB that run.sh posts
// (order.json); otherwise a document of that many bytes with many items. On
// a busy machine compare the sides with
// --benchmark_enable_random_interleaving=true --benchmark_repetitions=10.

#include "app/filter.h"
#include "app/filterpass.h"
#include "json/pointer.h"
#include "json/processor.h"
#include "json/tokenizer.h"
#include "json/value.h"

#include <benchmark/benchmark.h>
#include <libfastjson/json.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

const char* const filter = "/customer/email /items/*/price";

/// An order with as many items as it takes to reach size bytes.
std::string manyItems(size_t size)
{
    std::string text =
        R"({"id":"4f1c2b7e-9d3a-4c1e-8a77-0b5d2e6f9a13","created":"2024-03-18T09:41:27Z",)"
        R"("status":"confirmed","total":1234.56,"currency":"EUR","customer":{"name":)"
        R"("Ada Example","email":"ada@example.org","phone":"+31 20 555 0199","address":)"
        R"({"street":"Keizersgracht 1","city":"Amsterdam","zip":"1015 CJ"}},"items":[)";
    for (int item = 0; text.size() < size - 120; ++item)
    {
        if (item > 0) text += ',';
        text += R"({"sku":"SKU-)" + std::to_string(100000 + item) + R"(","quantity":)" +
                std::to_string(item % 7 + 1) + R"(,"price":)" + std::to_string(item % 90 + 9) +
                R"(.95,"tags":["a","b"],"secret":"x)" + std::to_string(item * 7919) + R"("})";
    }
    text += R"(],"meta":{"source":"web","retries":0,"flags":[true,false,null]}})";
    return text;
}

std::string document(const benchmark::State& state)
{
    if (state.range(0) != 0) return manyItems(static_cast<size_t>(state.range(0)));
    std::ifstream file(ORDER_DOCUMENT);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void onePassFilter(benchmark::State& state)
{
    const std::string text = document(state);
    const Filter parsed(filter);
    FilterPass pass(parsed);
    std::string output;
    for (auto _ : state)
    {
        if (!pass.copy(text, output)) state.SkipWithError("not JSON");
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

class TextProcessor : public Kestrava::JSON::Processor
{
public:
    explicit TextProcessor(std::string& text) : _text(text) {}

    size_t process(const char* data, size_t size) override
    {
        _text.append(data, size);
        return size;
    }

private:
    std::string& _text;
};

/// The path the one-pass copy replaced.
void treeParseRemoveWrite(benchmark::State& state)
{
    const std::string text = document(state);
    std::string output;
    char buffer[4096];
    for (auto _ : state)
    {
        Kestrava::JSON::Tokenizer tokenizer;
        const Kestrava::JSON::Value value = tokenizer.parse(text);
        value.remove(Kestrava::JSON::Pointer(std::string("/customer/email")));
        value.remove(Kestrava::JSON::Pointer(std::string("/items/2/price")));
        value.remove(Kestrava::JSON::Pointer(std::string("/items/1/price")));
        value.remove(Kestrava::JSON::Pointer(std::string("/items/0/price")));
        output.clear();
        TextProcessor processor(output);
        value.dumpto(processor, buffer, sizeof buffer);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

/// libfastjson's own parse and compact write.
void libfastjsonParseWrite(benchmark::State& state)
{
    const std::string text = document(state);
    std::string output;
    for (auto _ : state)
    {
        fjson_tokener* tokener = fjson_tokener_new();
        fjson_object* object =
            fjson_tokener_parse_ex(tokener, text.data(), static_cast<int>(text.size()));
        output.assign(fjson_object_to_json_string_ext(object, FJSON_TO_STRING_PLAIN));
        benchmark::DoNotOptimize(output.data());
        fjson_object_put(object);
        fjson_tokener_free(tokener);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(onePassFilter)->Arg(0)->Arg(64 * 1024);
BENCHMARK(treeParseRemoveWrite)->Arg(0)->Arg(64 * 1024);
BENCHMARK(libfastjsonParseWrite)->Arg(0)->Arg(64 * 1024);

BENCHMARK_MAIN();
