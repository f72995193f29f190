// The service's work on one document: parse, remove parts by pointer and
// serialise compactly, next to libfastjson alone parsing and serialising the
// same text. Arguments: the document size in bytes. On a busy machine compare
// the two sides with --benchmark_enable_random_interleaving=true and
// --benchmark_repetitions=10, so that load hits both alike.

#include "json/pointer.h"
#include "json/processor.h"
#include "json/tokenizer.h"
#include "json/value.h"

#include <benchmark/benchmark.h>
#include <libfastjson/json.h>

#include <string>

namespace {

/// A result document of at least size bytes: an order with a customer and
/// as many items as it takes.
std::string document(size_t size)
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

void parseRemoveSerialise(benchmark::State& state)
{
    const std::string text = document(static_cast<size_t>(state.range(0)));
    std::string output;
    char buffer[4096];
    for (auto _ : state)
    {
        // As the service does for every delivery: a new tokenizer and the
        // filter's pointers parsed anew.
        Kestrava::JSON::Tokenizer tokenizer;
        const Kestrava::JSON::Value value = tokenizer.parse(text);
        value.remove(Kestrava::JSON::Pointer(std::string("/customer/email")));
        value.remove(Kestrava::JSON::Pointer(std::string("/items/0/secret")));
        output.clear();
        TextProcessor processor(output);
        value.dumpto(processor, buffer, sizeof buffer);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

/// libfastjson alone: parse and serialise with its own string buffer.
void libfastjsonToString(benchmark::State& state)
{
    const std::string text = document(static_cast<size_t>(state.range(0)));
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

size_t append(void* output, const char* data, size_t size)
{
    static_cast<std::string*>(output)->append(data, size);
    return size;
}

/// libfastjson alone: parse and serialise through a buffer, as we do.
void libfastjsonDumpBuffered(benchmark::State& state)
{
    const std::string text = document(static_cast<size_t>(state.range(0)));
    std::string output;
    char buffer[4096];
    for (auto _ : state)
    {
        fjson_tokener* tokener = fjson_tokener_new();
        fjson_object* object =
            fjson_tokener_parse_ex(tokener, text.data(), static_cast<int>(text.size()));
        output.clear();
        fjson_object_dump_buffered(object, FJSON_TO_STRING_PLAIN, buffer, sizeof buffer, append,
                                   &output);
        benchmark::DoNotOptimize(output.data());
        fjson_object_put(object);
        fjson_tokener_free(tokener);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(parseRemoveSerialise)->Arg(1024)->Arg(64 * 1024);
BENCHMARK(libfastjsonToString)->Arg(1024)->Arg(64 * 1024);
BENCHMARK(libfastjsonDumpBuffered)->Arg(1024)->Arg(64 * 1024);

BENCHMARK_MAIN();
