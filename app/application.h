#pragma once

#include "amqp/libevhandler.h"
#include "amqp/tcpchannel.h"
#include "app/addresses.h"
#include "app/call.h"
#include "app/connection.h"
#include "app/endpoint.h"
#include "app/errorroute.h"
#include "app/filterpass.h"
#include "app/putbacktally.h"
#include "app/queuedeclarer.h"
#include "app/settings.h"
#include "browse/context.h"
#include "browse/url.h"
#include "dns/context.h"
#include "dns/loop/libev.h"
#include "event/signalhandler.h"
#include "event/signalwatcher.h"
#include "event/timer.h"
#include "event/timerhandler.h"

#include <csignal>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace AMQP
{
class Message;
}
namespace Kestrava
{
namespace Event
{
class Loop;
}
} // namespace Kestrava

class Options;

/**
 * The service: consumes the documents of the results (or mirror) queue,
 * filters each, posts it to the endpoint and acknowledges it on a 2xx
 * answer; anything else requeues it and pauses consuming for a second.
 * Documents that are no JSON go to the error route. It lives for one run of
 * the main loop, which ends when the broker connection does.
 *
 * States: consuming ↔ paused (the consumer cancelled, subscribed again a
 * second later) → ending (a signal: the consumer cancelled, then the
 * connection closed, within a deadline; or a fatal failure: the connection
 * closed). Every document goes back to the queue once: while paused, it is
 * rejected after the cancel, which keeps the broker from handing it
 * straight back; while ending, it is left to the close. Those handed back
 * but the first of a pause are counted into one warning line.
 */
class Application : private AMQP::LibEvHandler,
                    private Kestrava::Event::SignalHandler,
                    private Kestrava::Event::TimerHandler,
                    private Call::Handler,
                    private QueueDeclarer::Handler,
                    private ErrorRoute::Handler
{
public:
    /// Connects and issues the broker set-up, which runs once the main loop
    /// does. Throws std::runtime_error when an option is invalid, an
    /// address is no AMQP URL or no broker is reachable.
    explicit Application(const Options& options);
    ~Application() override;

    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    /// Whether the run ended by a failure (the broker connection closed or
    /// lost, a missing queue, a consume error) rather than a signal.
    bool failed() const { return !_signalled; }

private:
    // AMQP::TcpHandler
    void onReady(AMQP::TcpConnection* connection) override;
    void onBlocked(AMQP::TcpConnection* connection, const char* reason) override;
    void onUnblocked(AMQP::TcpConnection* connection) override;
    void onError(AMQP::TcpConnection* connection, const char* message) override;
    void onDetached(AMQP::TcpConnection* connection) override;

    void onSignal(int signum) override;
    void onQueueMissing(const std::string& name) override;
    void onQueueError(const std::string& name, const std::string& message) override;
    void onQueueSuccess() override;
    void onQueueGone(QueueDeclarer* declarer) override;
    void onFinished(Call* call, const std::shared_ptr<Message>& message) override;
    void onUnverified(const char* host, const char* result) override;
    void onExpired() override;

    // ErrorRoute::Handler
    void onCopied(uint64_t deliveryTag) override;
    void onRefused(uint64_t deliveryTag) override;
    void onUnroutable(const std::string& reply, const AMQP::Message& copy) override;
    void onChannelError(const char* message) override;

    /// The consumer's callback.
    void onReceived(const AMQP::Message& message, uint64_t deliveryTag);
    /// A delivery that is no JSON document: acknowledged, or copied to the
    /// error route first.
    void unparsable(const AMQP::Message& message, uint64_t deliveryTag);
    /// A delivery the service failed to handle, for `reason` (worded as
    /// its warning): handed back once.
    void putBack(uint64_t deliveryTag, const std::string& reason);
    /// The endpoint or the error route took the document.
    void acknowledge(uint64_t deliveryTag);
    /// The warning line of the documents counted since the last one.
    void reportPutBack();
    /// The originals of the copies the broker has not confirmed yet: counted,
    /// as they go back, and no later confirm acknowledges them.
    void abandonCopies();

    void declare(const std::string& name, bool create, const AMQP::Table& arguments);
    void start();
    void stop();
    void delay(double seconds);
    /// The run ends (a signal, a fatal failure, the members going): what
    /// a pause put back is told, and nothing more is handed back one by one
    /// or pauses.
    void end();
    /// The orderly close of the broker connection, once.
    void close();
    /// A stop closes once the broker answered the cancel and confirmed the
    /// copies on the error route, whose originals are then acknowledged.
    void closeWhenSettled();
    /// A fatal failure: logged as critical, the broker connection closed.
    void fail(const std::string& message);

    Kestrava::Event::Loop* _loop;
    const Options* _options;
    Settings _settings;
    Addresses _addresses;
    /// Checked before any broker is tried.
    Endpoint _endpoint;
    Connection _connection;
    AMQP::TcpChannel _channel;
    ErrorRoute _errorRoute;
    DNS::LibEv _dnsLoop;
    DNS::Context _dns;
    /// Destroyed first, so that the calls it gives up are counted.
    std::optional<Kestrava::Browse::Context> _http;
    Kestrava::Event::SignalWatcher _sigint{this, SIGINT};
    Kestrava::Event::SignalWatcher _sigterm{this, SIGTERM};
    Kestrava::Event::SignalWatcher _sighup{this, SIGHUP};
    Kestrava::Event::SignalWatcher _sigpipe{this, SIGPIPE};
    Kestrava::Event::Timer _timer;
    FilterPass _filterPass;
    std::string _queue;
    /// The tag of the consumer in use, the last of those subscribed.
    std::string _consumerTag;
    unsigned long _subscriptions = 0;
    size_t _pending = 0;
    std::set<QueueDeclarer*> _declarers;
    /// The documents handed back since the last line that told them: all
    /// of a pause but its first, and those of the end.
    PutBackTally _putBack;
    /// True while the service does not consume.
    bool _stopped = true;
    /// A cancel waits for the broker's answer.
    bool _cancelling = false;
    bool _signalled = false;
    /// The close of the broker connection was asked for.
    bool _closing = false;
    /// The run ends: see end().
    bool _ending = false;
    /// The endpoint's certificate was found not to verify: said once a run.
    bool _unverifiedLogged = false;
};
