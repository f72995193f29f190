// Against the private broker that tests/amqp/broker.sh runs for the test run.
#include "amqp/frames/connectionframes.h"

#include "amqp/buffers/bytebuffer.h"
#include "amqp/frames/protocolheaderframe.h"
#include "amqp/frames/receivedframe.h"
#include "brokersocket.h"
#include "wirehelpers.h"

#include <gtest/gtest.h>

using namespace AMQP;
using namespace AMQPTest;

namespace
{

/// Every entry of table (nested tables entry by entry) re-encodes to
/// octets that occur in octets as they are.
void expectEntriesFound(const Table& table, const std::string& octets)
{
    for (const auto& key : table.keys())
    {
        const Field& value = table.get(key);
        if (value.isTable())
        {
            expectEntriesFound(value, octets);
            continue;
        }
        std::string entry = Octets().shortString(key).u8(value.typeID()).raw(encode(value));
        EXPECT_NE(octets.find(entry), std::string::npos) << "entry " << key;
    }
}

} // namespace

TEST(BrokerTest, ConnectionStartFromTheBrokerDecodesAndReencodesIdentically)
{
    uint16_t port = brokerPort();
    ASSERT_NE(port, 0) << "no broker: KESTRAVA_BROKER_PORT_FILE is not set or empty";
    BrokerSocket socket(port);
    ASSERT_TRUE(socket.connected());
    ASSERT_TRUE(socket.write(encode(ProtocolHeaderFrame(0, 9, 1))));

    std::string octets = socket.read(7);
    ASSERT_EQ(octets.size(), 7u);
    {
        ByteBuffer header(octets.data(), octets.size());
        ReceivedFrame frame(header, 131072);
        ASSERT_TRUE(frame.header());
        octets += socket.read(frame.payloadSize() + 1);
    }

    ByteBuffer buffer(octets.data(), octets.size());
    ReceivedFrame frame(buffer, 131072);
    ASSERT_TRUE(frame.complete());
    RecordingProcessor processor;
    ASSERT_TRUE(frame.process(&processor));
    auto& start = processor.lastAs<ConnectionStartFrame>();

    EXPECT_EQ(start.versionMajor(), 0);
    EXPECT_EQ(start.versionMinor(), 9);
    EXPECT_NE(start.mechanisms().find("PLAIN"), std::string::npos);
    const Table& properties = start.serverProperties();
    EXPECT_EQ(static_cast<const std::string&>(properties.get("product")), "RabbitMQ");
    const Table& capabilities = properties.get("capabilities");
    EXPECT_TRUE(capabilities.contains("publisher_confirms"));

    // The server properties start after the header, class and method ids
    // and the two version octets. Tables are kept in key order while the
    // broker writes "capabilities" in an order of its own, so the octets
    // are compared entry by entry: same size, and every value that is not
    // a table re-encodes to octets found verbatim in the broker's.
    std::string brokerProperties = octets.substr(13, properties.size());
    EXPECT_EQ(encode(properties).size(), brokerProperties.size());
    expectEntriesFound(properties, brokerProperties);
    // Around the properties the frame re-encodes to the broker's octets.
    std::string expected =
        octets.substr(0, 13) + encode(properties) + octets.substr(13 + brokerProperties.size());
    EXPECT_EQ(encode(start), expected);
}
