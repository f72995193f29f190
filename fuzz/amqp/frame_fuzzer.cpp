// Feeds arbitrary octets to the frame parser (as the connection does: frame
// after frame from one buffer) and to the table decoder. Everything decoded
// is encoded again, and that encoding must decode to itself: a decoder that
// lost its place, or an encoder that announced a wrong size, shows here.
#include "amqp/array.h"
#include "amqp/bytebuffer.h"
#include "amqp/copiedbuffer.h"
#include "amqp/message.h"
#include "amqp/protocolexception.h"
#include "amqp/receivedframe.h"
#include "amqp/reducedbuffer.h"
#include "amqp/table.h"
#include "tests/amqp/visitingprocessor.h"
#include "tests/amqp/wirehelpers.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>

using namespace AMQP;

namespace
{

void check(bool condition)
{
    if (!condition) std::abort();
}

/// Reads every conversion of a field and of what it contains.
void touch(const Field& field)
{
    (void)static_cast<int>(field);
    (void)static_cast<unsigned long>(field);
    (void)static_cast<signed char>(field);
    (void)static_cast<double>(field);
    (void)static_cast<float>(field);
    (void)static_cast<const std::string&>(field).size();
    const Table& table = field;
    for (const auto& key : table.keys())
        touch(table.get(key));
    const Array& array = field;
    for (size_t index = 0; index < array.count(); ++index)
        touch(array.get(index));
}

/// Encodes each received frame; when verifying, decodes that encoding
/// again and checks that it encodes the same.
class RoundTrip : public AMQPTest::VisitingProcessor<RoundTrip>
{
public:
    explicit RoundTrip(bool verify) : _verify(verify) {}

    template <class T> bool visit(T& frame)
    {
        if constexpr (std::is_same_v<T, BasicHeaderFrame>)
        {
            touch(frame.metaData().headers());
            // A message as a receiver would assemble it, kept small.
            _message.setBodySize(frame.bodySize() % 65536);
            _message.set(frame.metaData());
        }
        if constexpr (std::is_same_v<T, BodyFrame>)
            _message.append(frame.payload(), frame.payloadSize());
        if constexpr (std::is_same_v<T, ConnectionStartFrame>) touch(frame.serverProperties());
        return roundTrip(frame);
    }

    const std::string& encoded() const { return _encoded; }

private:
    bool roundTrip(const Frame& frame)
    {
        CopiedBuffer copy(frame);
        check(copy.size() == frame.totalSize());
        _encoded.assign(copy.data(), copy.size());
        if (!_verify) return true;
        ByteBuffer buffer(copy.data(), copy.size());
        ReceivedFrame again(buffer, 0);
        check(again.complete() && again.totalSize() == copy.size());
        RoundTrip reencoder(false);
        again.process(&reencoder);
        check(reencoder.encoded() == _encoded);
        return true;
    }

    bool _verify;
    std::string _encoded;
    Message _message{"", ""};
};

void fuzzFrames(const Buffer& buffer, uint32_t max)
{
    RoundTrip processor(true);
    size_t processed = 0;
    while (processed < buffer.size())
    {
        ReducedBuffer rest(buffer, processed);
        try
        {
            ReceivedFrame frame(rest, max);
            if (!frame.complete()) return;
            frame.process(&processor);
            processed += frame.totalSize();
        }
        catch (const ProtocolException&)
        {
            return;
        }
    }
}

void fuzzTable(const Buffer& buffer)
{
    try
    {
        InBuffer in(buffer);
        Table table(in);
        touch(table);
        std::string first = AMQPTest::encode(table);
        check(first.size() == table.size());
        ByteBuffer again(first.data(), first.size());
        InBuffer reread(again);
        check(AMQPTest::encode(Table(reread)) == first);
    }
    catch (const ProtocolException&)
    {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ByteBuffer buffer(reinterpret_cast<const char*>(data), size);
    fuzzFrames(buffer, 4096);
    fuzzFrames(buffer, 0);
    fuzzTable(buffer);
    return 0;
}
