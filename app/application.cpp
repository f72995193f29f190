#include "app/application.h"

#include "amqp/deferredcancel.h"
#include "amqp/deferredconsumer.h"
#include "amqp/flags.h"
#include "amqp/message.h"
#include "amqp/numericfield.h"
#include "app/global.h"
#include "app/message.h"
#include "app/options.h"
#include "event/mainloop.h"
#include "logging/proxy.h"

#include <ev.h>

#include <cstring>
#include <string_view>

using Kestrava::Logging::Proxy;
namespace Logging = Kestrava::Logging;

Application::Application(const Options& options)
    : AMQP::LibEvHandler(Kestrava::Event::MainLoop::instance()->loop()),
      _loop(Kestrava::Event::MainLoop::instance()), _options(&options), _settings(options),
      _addresses(options.get("rabbitmq-address")), _endpoint(options.get("endpoint")),
      _connection(this, _addresses), _channel(_connection.connection()),
      _errorRoute(this, _connection.connection(), options.get("error-exchange"),
                  options.get("error-routingkey")),
      _dnsLoop(_loop->loop(), true), _dns(&_dnsLoop, true), _http(_loop, DNS::Ip("0.0.0.0"), _dns),
      _timer(_loop, this, 0), _filterPass(_settings.filter)
{
    const std::string& mirror = options.get("rabbitmq-mirror");
    _queue = mirror.empty() ? options.get("rabbitmq-results", "results") : mirror;

    for (auto* watcher : {&_sigint, &_sigterm, &_sighup, &_sigpipe})
        watcher->start(_loop->loop());

    _http.fixedHeaders().add("User-agent: Quillmere Webhook Caller");
    _http.fixedHeaders().add("Connection: keep-alive");
    _http.connectionLimit(_settings.connections);
    _http.hostLimit(_settings.connections);

    _channel.setQos(_settings.qos, false);
    _channel.onError([this](const char* message) { fail(message); });

    if (_errorRoute.configured() && options.get("error-exchange").empty())
        declare(options.get("error-routingkey"), true, AMQP::Table());
    AMQP::Table arguments;
    if (_settings.mirrorExpiry != 0)
        arguments.set("x-expires", AMQP::UInt64(_settings.mirrorExpiry));
    // The results queue belongs to Quillmere: only checked, never made.
    declare(_queue, !mirror.empty(), mirror.empty() ? AMQP::Table() : arguments);
}

Application::~Application()
{
    _ending = true;
    // Unanswered queue checks of a connection that goes now.
    while (!_declarers.empty())
        delete *_declarers.begin();
}

void Application::declare(const std::string& name, bool create, const AMQP::Table& arguments)
{
    ++_pending;
    _declarers.insert(new QueueDeclarer(this, _connection.connection(), name, create, arguments));
}

void Application::onReady(AMQP::TcpConnection*)
{
    Proxy(Global::log, Logging::info)
        << "Connection to " << text(_connection.address()) << " successfully established.";
}

void Application::onBlocked(AMQP::TcpConnection*, const char* reason)
{
    // RabbitMQ blocks a connection that publishes during a resource alarm,
    // here the error route's copies; acknowledgements wait behind them.
    Proxy(Global::log, Logging::warning) << "RabbitMQ blocked the connection: " << reason
                                         << "; documents wait until it is unblocked";
}

void Application::onUnblocked(AMQP::TcpConnection*)
{
    Proxy(Global::log, Logging::info) << "RabbitMQ unblocked the connection";
}

void Application::onError(AMQP::TcpConnection* connection, const char* message)
{
    // A broker error reaches every channel and then the connection: the
    // first report is the cause, the others repeat it.
    if (_closing) return;
    _closing = true;
    // The broker cancels a consumer whose queue was deleted or whose node was
    // lost (RabbitMQ's consumer cancel notification); the AMQP client fails
    // the connection on that basic.cancel with a text naming only the frame.
    if (std::strcmp(message, "unimplemented frame type 1 class 60 method 30") == 0)
        Proxy(Global::log, Logging::critical)
            << "The broker cancelled the consumer of queue " << _queue
            << " (the queue was deleted, or its node lost)";
    else
        Proxy(Global::log, Logging::critical) << message;
    connection->close();
}

void Application::fail(const std::string& message)
{
    onError(_connection.connection(), message.c_str());
}

void Application::onDetached(AMQP::TcpConnection* connection)
{
    AMQP::LibEvHandler::onDetached(connection);
    ev_break(_loop->loop(), EVBREAK_ONE);
}

void Application::onSignal(int)
{
    _stopped = true;
    _signalled = true;
    ev_break(_loop->loop(), EVBREAK_ONE);
}

void Application::onQueueSuccess()
{
    if (--_pending != 0) return;
    // Bound only when there is a mirror queue: the results queue is already
    // fed by the exchange.
    const std::string& exchange = _options->get("rabbitmq-exchange");
    const std::string& mirror = _options->get("rabbitmq-mirror");
    if (!exchange.empty() && !mirror.empty())
        _channel
            .bindQueue(exchange, mirror, _options->get("rabbitmq-results", "results"),
                       AMQP::Table())
            .onError([this](const char* message) { fail(message); });
    start();
}

void Application::onQueueMissing(const std::string& name)
{
    fail(name + " doesn't exist");
}

void Application::onQueueError(const std::string& name, const std::string& message)
{
    fail("Queue " + name + " cannot be used: " + message);
}

void Application::onQueueGone(QueueDeclarer* declarer)
{
    _declarers.erase(declarer);
}

void Application::start()
{
    if (!_stopped) return;
    _stopped = false;
    // A fresh tag for every subscription: RabbitMQ 3.10 fails the channel
    // (INTERNAL_ERROR) when a quorum queue's consumer subscribes again under
    // a tag whose deliveries were still unacknowledged at its cancel.
    _consumerTag = "consumer-" + std::to_string(++_subscriptions);
    _channel.consume(_queue, _consumerTag, 0, AMQP::Table())
        .onReceived([this](const AMQP::Message& message, uint64_t deliveryTag, bool)
                    { onReceived(message, deliveryTag); })
        .onError(
            [this](const char* message)
            {
                _stopped = true;
                fail(std::string("start-consume error: ") + message);
            });
}

void Application::stop()
{
    if (_stopped) return;
    _stopped = true;
    _channel.cancel(_consumerTag)
        .onError(
            [this](const char* message)
            {
                _stopped = false;
                fail(std::string("stop-consume error: ") + message);
            });
}

void Application::delay(double seconds)
{
    stop();
    _timer.set(seconds);
}

void Application::onExpired()
{
    start();
}

void Application::onReceived(const AMQP::Message& message, uint64_t deliveryTag)
{
    if (_stopped)
    {
        _channel.reject(deliveryTag, AMQP::requeue);
        return;
    }
    std::shared_ptr<Message> delivery;
    try
    {
        delivery = std::make_shared<Message>(deliveryTag);
        if (!_filterPass.copy(std::string_view(message.body(), message.bodySize()), delivery->body))
            return unparsable(message, deliveryTag);
    }
    catch (const std::exception&)
    {
        // Out of memory, not the document's fault: it stays in the queue.
        return requeue(deliveryTag);
    }
    Call* call = new Call(&_endpoint, std::move(delivery), this);
    try
    {
        _http.connect(_endpoint.url, call);
    }
    catch (const std::exception& error)
    {
        static_cast<Kestrava::Browse::Handler*>(call)->onFailed(error.what());
    }
}

void Application::unparsable(const AMQP::Message& message, uint64_t deliveryTag)
{
    Proxy(Global::log, Logging::warning) << "Unable to parse JSON";
    if (!_errorRoute.configured())
        _channel.ack(deliveryTag, 0);
    else if (!_errorRoute.publish(message, deliveryTag))
        requeue(deliveryTag);
}

void Application::requeue(uint64_t deliveryTag)
{
    _channel.reject(deliveryTag, AMQP::requeue);
    if (!_stopped && !_ending) delay(1.0);
}

void Application::onFinished(Call* call, const std::shared_ptr<Message>& message)
{
    int status = call->status();
    if (status >= 200 && status <= 299)
    {
        _channel.ack(message->deliveryTag, 0);
        return;
    }
    _channel.reject(message->deliveryTag, AMQP::requeue);
    // At the end the timer may be gone already: nothing to pause then.
    if (_stopped || _ending) return;
    delay(1.0);
    if (status != 0)
        Proxy(Global::log, Logging::warning) << "Invalid response code from server: " << status;
    else
        Proxy(Global::log, Logging::warning)
            << (call->answerBegun() ? "Incomplete response from server: "
                                    : "No response from server: ")
            << call->failure();
}

void Application::onUnverified(const char* host, const char* result)
{
    // Such a connection is never handed to the next document: each one
    // costs a TLS handshake, which only trusting the certificate avoids.
    if (_unverifiedLogged) return;
    _unverifiedLogged = true;
    Proxy(Global::log, Logging::warning) << "Certificate of " << host << " does not verify ("
                                         << result << "): every document opens a new connection";
}

void Application::onCopied(uint64_t deliveryTag)
{
    _channel.ack(deliveryTag, 0);
}

void Application::onRefused(uint64_t deliveryTag)
{
    // Paused like any failure of ours: the broker would offer it again at
    // once, and refuse its copy again.
    requeue(deliveryTag);
}

void Application::onUnroutable(const std::string& reply, const AMQP::Message& copy)
{
    // The original of the returned copy, and with it every one not yet
    // confirmed, stays in the queue; the run ends, so that nothing is acked
    // without its copy.
    for (uint64_t deliveryTag : _errorRoute.abandon())
        _channel.reject(deliveryTag, AMQP::requeue);
    fail("Failed to publish invalid message: " + reply + "\n\nFailed message:\n" +
         std::string(copy.body(), copy.bodySize()));
}

void Application::onChannelError(const char* message)
{
    fail(message);
}
