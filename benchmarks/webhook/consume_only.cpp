// The reference for the service's rate: consumes a queue with our own AMQP
// client and acknowledges each message at once, doing nothing else.
//
//   webhook_consume_only ADDRESS QUEUE COUNT PREFETCH
//
// Ends after COUNT acknowledgements and prints the seconds from start-up.

#include "amqp/address.h"
#include "amqp/deferredconsumer.h"
#include "amqp/libevhandler.h"
#include "amqp/message.h"
#include "amqp/table.h"
#include "amqp/tcpchannel.h"
#include "amqp/tcpconnection.h"

#include <ev.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

class Handler : public AMQP::LibEvHandler
{
public:
    using AMQP::LibEvHandler::LibEvHandler;

    void onError(AMQP::TcpConnection*, const char* message) override
    {
        fprintf(stderr, "%s\n", message);
        exit(1);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5)
    {
        fprintf(stderr, "usage: %s ADDRESS QUEUE COUNT PREFETCH\n", argv[0]);
        return 2;
    }
    auto started = std::chrono::steady_clock::now();
    struct ev_loop* loop = ev_default_loop(0);
    Handler handler(loop);
    AMQP::TcpConnection connection(&handler, AMQP::Address(std::string(argv[1])));
    AMQP::TcpChannel channel(&connection);
    unsigned long wanted = strtoul(argv[3], nullptr, 10);
    unsigned long acked = 0;
    channel.setQos(static_cast<uint16_t>(atoi(argv[4])), false);
    channel.consume(argv[2], "consumer", 0, AMQP::Table())
        .onReceived(
            [&](const AMQP::Message&, uint64_t deliveryTag, bool)
            {
                channel.ack(deliveryTag, 0);
                if (++acked == wanted) ev_break(loop, EVBREAK_ONE);
            });
    ev_run(loop, 0);
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    printf("%.3f\n", elapsed.count());
    return 0;
}
