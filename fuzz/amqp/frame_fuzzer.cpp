// Feeds arbitrary octets to the frame parser (as the connection does: frame
// after frame from one buffer) and to the table decoder. Everything decoded
// is encoded again, and that encoding must decode to itself: a decoder that
// lost its place, or an encoder that announced a wrong size, shows here.
// Then the same octets go to the connection engine as a broker's: once from
// the start of the handshake, and once to a connection whose channel waits
// for replies, consumes, fetches and receives returns, fed as a transport
// feeds it (never more than the engine expects), with the connection
// destroyed inside one of its callbacks.
#include "amqp/array.h"
#include "amqp/buffers/bytebuffer.h"
#include "amqp/channel.h"
#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/buffers/copiedbuffer.h"
#include "amqp/deferredconfirm.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferreddelete.h"
#include "amqp/deferredget.h"
#include "amqp/deferredqueue.h"
#include "amqp/deferredrecall.h"
#include "amqp/envelope.h"
#include "amqp/login.h"
#include "amqp/message.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/receivedframe.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/table.h"
#include "tests/amqp/visitingprocessor.h"
#include "tests/amqp/wirehelpers.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
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

/// Destroys the connection at its victim-th event, counting the handler's
/// callbacks and those of the channel's results.
class Engine : public ConnectionHandler
{
public:
    explicit Engine(unsigned victim) : _victim(victim)
    {
        _connection = std::make_unique<Connection>(this, Login("user", "pass"), "/");
    }

    void onProperties(Connection*, const Table& server, Table&) override { touch(server); }
    void onData(Connection*, const char*, size_t size) override
    {
        check(size > 0);
        event();
    }
    void onHeartbeat(Connection*) override { event(); }
    void onBlocked(Connection*, const char* reason) override
    {
        check(reason != nullptr);
        event();
    }
    void onUnblocked(Connection*) override { event(); }
    void onError(Connection*, const char* message) override
    {
        check(message != nullptr);
        event();
    }
    void onReady(Connection*) override { event(); }
    void onClosed(Connection*) override { event(); }

    /// Every request of a channel, with callbacks on everything.
    void request()
    {
        _channel = std::make_unique<Channel>(_connection.get());
        _channel->onError([this](const char*) { event(); });
        auto received = [this](const Message& message, uint64_t, bool)
        {
            check(message.bodySize() == 0 || message.body() != nullptr);
            event();
        };
        _channel->declareQueue("q", 0, Table()).onSuccess([this] { event(); });
        _channel->consume("q", "tag", 0, Table())
            .onReceived(received)
            .onError([this](const char*) { event(); });
        _channel->get("q", 0).onEmpty([this] { event(); }).onReceived(received);
        _channel->recall().onReceived([this](const Message&, int16_t, const std::string&)
                                      { event(); });
        _channel->confirmSelect().onAck([this](uint64_t, bool) { event(); });
        _channel->removeQueue("q", 0).onSuccess([this](uint32_t) { event(); });
        _channel->publish("", "q", Envelope("x", 1), 0);
    }

    /// Feeds octets as a transport does: never more than the engine
    /// expects, so that each parse consumes all it was given or nothing.
    void feed(const uint8_t* data, size_t size)
    {
        std::string buffered;
        for (size_t position = 0; position < size && _connection;)
        {
            size_t wanted = _connection->expected() -
                            std::min<size_t>(buffered.size(), _connection->expected());
            size_t take = std::min(std::max<size_t>(wanted, 1), size - position);
            buffered.append(reinterpret_cast<const char*>(data) + position, take);
            position += take;
            ByteBuffer buffer(buffered.data(), buffered.size());
            uint64_t consumed = _connection->parse(buffer);
            if (!_connection) return;
            check(consumed == 0 || consumed == buffered.size());
            // A closed connection reads nothing more.
            if (consumed == 0 && !_connection->usable() &&
                buffered.size() >= _connection->expected())
                return;
            buffered.erase(0, consumed);
        }
    }

    std::unique_ptr<Connection> _connection;
    std::unique_ptr<Channel> _channel;

private:
    void event()
    {
        if (++_events == _victim) _connection.reset();
    }

    unsigned _victim;
    unsigned _events = 0;
};

/// connection.start as RabbitMQ sends it, without server properties.
std::string connectionStart()
{
    return AMQPTest::methodFrame(
        0, 10, 10, AMQPTest::Octets().u8(0).u8(9).u32(0).longString("PLAIN").longString("en_US"));
}

void fuzzEngine(const uint8_t* data, size_t size)
{
    {
        Engine raw(0);
        ByteBuffer buffer(reinterpret_cast<const char*>(data), size);
        raw._connection->parse(buffer);
    }
    // The recorded session in the corpus answers these requests, as the
    // broker did.
    Engine engine(size == 0 ? 0 : data[0] % 40);
    std::string start = connectionStart();
    engine.feed(reinterpret_cast<const uint8_t*>(start.data()), start.size());
    if (!engine._connection) return;
    engine.request();
    if (!engine._connection) return;
    engine.feed(data, size);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ByteBuffer buffer(reinterpret_cast<const char*>(data), size);
    fuzzFrames(buffer, 4096);
    fuzzFrames(buffer, 0);
    fuzzTable(buffer);
    fuzzEngine(data, size);
    return 0;
}
