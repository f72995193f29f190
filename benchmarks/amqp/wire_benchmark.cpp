// Encoding and decoding of what a consumer receives most: a delivery (the
// basic.deliver method, its content header and a 1 KiB body), and a headers
// table of 20 entries.
#include "amqp/frames/basicframes.h"
#include "amqp/frames/basicheaderframe.h"
#include "amqp/frames/bodyframe.h"
#include "amqp/buffers/bytebuffer.h"
#include "amqp/envelope.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/frames/receivedframe.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/table.h"
#include "tests/amqp/visitingprocessor.h"
#include "tests/amqp/wirehelpers.h"

#include <benchmark/benchmark.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

/// Reads the values a consumer would read of each frame.
class Reader : public VisitingProcessor<Reader>
{
public:
    template <class T> bool visit(T& frame)
    {
        if constexpr (std::is_same_v<T, BasicDeliverFrame>)
        {
            benchmark::DoNotOptimize(frame.deliveryTag());
            benchmark::DoNotOptimize(frame.routingKey().size());
        }
        if constexpr (std::is_same_v<T, BasicHeaderFrame>)
            benchmark::DoNotOptimize(frame.metaData().contentType().size());
        if constexpr (std::is_same_v<T, BodyFrame>) benchmark::DoNotOptimize(frame.payload());
        return true;
    }
};

Table headersTable()
{
    Table table;
    for (int index = 0; index < 20; ++index)
    {
        std::string key = "x-header-" + std::to_string(index);
        switch (index % 4)
        {
        case 0:
            table[key.c_str()] = "value of header " + std::to_string(index);
            break;
        case 1:
            table.set(key, UInt64(1000000u * index));
            break;
        case 2:
            table[key.c_str()] = index % 3 == 0;
            break;
        default:
            table.set(key, ShortString("short"));
            break;
        }
    }
    return table;
}

/// The octets of a delivery: method, header and body frames.
std::string deliveryOctets(const std::string& body)
{
    Envelope envelope(body.data(), body.size());
    envelope.setContentType("application/json");
    envelope.setDeliveryMode(2);
    std::string method = methodFrame(1, 60, 60,
                                     Octets()
                                         .shortString("amq.ctag-webhook")
                                         .u64(123456)
                                         .u8(0)
                                         .shortString("results")
                                         .shortString("results"));
    return method + encode(BasicHeaderFrame(1, envelope)) +
           encode(BodyFrame(1, body.data(), uint32_t(body.size())));
}

void EncodeDelivery(benchmark::State& state)
{
    std::string body(1024, 'j');
    std::string octets = deliveryOctets(body);
    // A deliver is only ever received: take one decoded from the wire.
    RecordingProcessor received;
    processFrame(octets, received);
    auto& deliver = received.lastAs<BasicDeliverFrame>();
    Envelope envelope(body.data(), body.size());
    envelope.setContentType("application/json");
    envelope.setDeliveryMode(2);
    StringBuffer sink;
    sink.reserve(octets.size());
    for (auto _ : state)
    {
        sink.clear();
        deliver.fill(sink);
        BasicHeaderFrame(1, envelope).fill(sink);
        BodyFrame(1, body.data(), uint32_t(body.size())).fill(sink);
        benchmark::DoNotOptimize(sink.octets().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(octets.size()));
}
BENCHMARK(EncodeDelivery);

void DecodeDelivery(benchmark::State& state)
{
    std::string octets = deliveryOctets(std::string(1024, 'j'));
    ByteBuffer buffer(octets.data(), octets.size());
    Reader reader;
    for (auto _ : state)
    {
        size_t processed = 0;
        while (processed < octets.size())
        {
            ReducedBuffer rest(buffer, processed);
            ReceivedFrame frame(rest, 131072);
            frame.process(&reader);
            processed += frame.totalSize();
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(octets.size()));
}
BENCHMARK(DecodeDelivery);

void EncodeHeadersTable(benchmark::State& state)
{
    Table table = headersTable();
    StringBuffer sink;
    sink.reserve(table.size());
    for (auto _ : state)
    {
        sink.clear();
        table.fill(sink);
        benchmark::DoNotOptimize(sink.octets().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(table.size()));
}
BENCHMARK(EncodeHeadersTable);

void DecodeHeadersTable(benchmark::State& state)
{
    std::string octets = encode(headersTable());
    ByteBuffer buffer(octets.data(), octets.size());
    for (auto _ : state)
    {
        InBuffer in(buffer);
        Table table(in);
        benchmark::DoNotOptimize(&table);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(octets.size()));
}
BENCHMARK(DecodeHeadersTable);

} // namespace

BENCHMARK_MAIN();
