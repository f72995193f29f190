// Our base64 and quoted-printable stages writing 1 MiB into a String, in
// 4 KiB appends and in one, beside OpenSSL's block functions (bound by
// dlsym, never linked) and GMime's step functions on the same input.

#include "filter/base64decode.h"
#include "filter/base64encode.h"
#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"
#include "filter/string.h"
#include "openssl/availability.h"

#include <benchmark/benchmark.h>
#include <gmime/gmime.h>

#include <dlfcn.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace Filter = Kestrava::Filter;

namespace
{

constexpr size_t inputSize = 1 << 20;

const std::string& randomBytes()
{
    static const std::string bytes = []
    {
        std::mt19937 random(1);
        std::string text(inputSize, '\0');
        for (char& c : text)
            c = static_cast<char>(random());
        return text;
    }();
    return bytes;
}

/// Mail text: words and lines, a fifth of its bytes 8-bit.
const std::string& mailText()
{
    static const std::string text = []
    {
        std::mt19937 random(2);
        std::string mail;
        size_t column = 0;
        while (mail.size() < inputSize)
        {
            unsigned draw = random() % 100;
            char c = draw < 20   ? static_cast<char>(0x80 + random() % 0x80)
                     : draw < 35 ? ' '
                                 : static_cast<char>('a' + random() % 26);
            mail.push_back(c);
            if (++column == 70)
            {
                mail += "\r\n";
                column = 0;
            }
        }
        mail.resize(inputSize);
        return mail;
    }();
    return text;
}

template <typename Stage> void through(const std::string& input, size_t chunk, Stage& stage)
{
    for (size_t start = 0; start < input.size(); start += chunk)
        stage.process(input.data() + start, std::min(chunk, input.size() - start), false);
    stage.flush();
}

const std::string& base64Text()
{
    static const std::string text = []
    {
        std::string output;
        Filter::String sink(&output);
        Filter::Base64Encode encoder(&sink);
        through(randomBytes(), inputSize, encoder);
        return output;
    }();
    return text;
}

const std::string& quotedPrintableText()
{
    static const std::string text = []
    {
        std::string output;
        Filter::String sink(&output);
        Filter::QuotedPrintableEncode encoder(&sink);
        through(mailText(), inputSize, encoder);
        return output;
    }();
    return text;
}

template <typename Function> Function* openssl(const char* name)
{
    if (!Kestrava::OpenSSL::valid()) throw std::runtime_error("no OpenSSL");
    auto function = reinterpret_cast<Function*>(dlsym(Kestrava::OpenSSL::handle(), name));
    if (function == nullptr) throw std::runtime_error(std::string("no ") + name);
    return function;
}

using BlockFunction = int(unsigned char*, const unsigned char*, int);

void setBytes(benchmark::State& state, size_t size)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

template <typename Stage, typename... Arguments>
void ours(benchmark::State& state, const std::string& input, Arguments... arguments)
{
    std::string output;
    auto chunk = static_cast<size_t>(state.range(0));
    for (auto _ : state)
    {
        output.clear();
        Filter::String sink(&output);
        Stage stage(arguments..., &sink);
        through(input, chunk, stage);
        benchmark::DoNotOptimize(output.data());
    }
    setBytes(state, input.size());
}

void oursBase64Encode(benchmark::State& state)
{
    ours<Filter::Base64Encode>(state, randomBytes());
}

void oursBase64Decode(benchmark::State& state)
{
    ours<Filter::Base64Decode>(state, base64Text(), false);
}

void oursQuotedPrintableEncode(benchmark::State& state)
{
    ours<Filter::QuotedPrintableEncode>(state, mailText());
}

void oursQuotedPrintableDecode(benchmark::State& state)
{
    ours<Filter::QuotedPrintableDecode>(state, quotedPrintableText());
}

void opensslBlock(benchmark::State& state, const char* name, const std::string& input)
{
    auto block = openssl<BlockFunction>(name);
    std::vector<unsigned char> output(input.size() * 4 / 3 + 4);
    for (auto _ : state)
        benchmark::DoNotOptimize(block(output.data(),
                                       reinterpret_cast<const unsigned char*>(input.data()),
                                       static_cast<int>(input.size())));
    setBytes(state, input.size());
}

void evpEncodeBlock(benchmark::State& state)
{
    opensslBlock(state, "EVP_EncodeBlock", randomBytes());
}

void evpDecodeBlock(benchmark::State& state)
{
    opensslBlock(state, "EVP_DecodeBlock", base64Text());
}

using Step = size_t(const unsigned char*, size_t, unsigned char*, int*, guint32*);

/// A GMime step function over the input in chunks, then its close function
/// when it has one.
void gmime(benchmark::State& state, const std::string& input, size_t outputSize, Step* step,
           Step* close)
{
    std::vector<unsigned char> output(outputSize);
    auto chunk = static_cast<size_t>(state.range(0));
    auto data = reinterpret_cast<const unsigned char*>(input.data());
    for (auto _ : state)
    {
        int steps = 0;
        guint32 save = 0;
        size_t written = 0;
        for (size_t start = 0; start < input.size(); start += chunk)
            written += step(data + start, std::min(chunk, input.size() - start),
                            output.data() + written, &steps, &save);
        if (close != nullptr) written += close(nullptr, 0, output.data() + written, &steps, &save);
        benchmark::DoNotOptimize(written);
    }
    setBytes(state, input.size());
}

void gmimeBase64Encode(benchmark::State& state)
{
    gmime(state, randomBytes(), GMIME_BASE64_ENCODE_LEN(inputSize),
          g_mime_encoding_base64_encode_step, g_mime_encoding_base64_encode_close);
}

void gmimeBase64Decode(benchmark::State& state)
{
    gmime(state, base64Text(), inputSize + 4, g_mime_encoding_base64_decode_step, nullptr);
}

void gmimeQuotedPrintableEncode(benchmark::State& state)
{
    gmime(state, mailText(), GMIME_QP_ENCODE_LEN(inputSize), g_mime_encoding_quoted_encode_step,
          g_mime_encoding_quoted_encode_close);
}

void gmimeQuotedPrintableDecode(benchmark::State& state)
{
    gmime(state, quotedPrintableText(), inputSize + 4, g_mime_encoding_quoted_decode_step, nullptr);
}

void chunks(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(4096)->Arg(inputSize)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(oursBase64Encode)->Apply(chunks);
BENCHMARK(evpEncodeBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(gmimeBase64Encode)->Apply(chunks);
BENCHMARK(oursBase64Decode)->Apply(chunks);
BENCHMARK(evpDecodeBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(gmimeBase64Decode)->Apply(chunks);
BENCHMARK(oursQuotedPrintableEncode)->Apply(chunks);
BENCHMARK(gmimeQuotedPrintableEncode)->Apply(chunks);
BENCHMARK(oursQuotedPrintableDecode)->Apply(chunks);
BENCHMARK(gmimeQuotedPrintableDecode)->Apply(chunks);

BENCHMARK_MAIN();
