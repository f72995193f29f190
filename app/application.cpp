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

namespace
{

/// How long a stop waits for the broker to answer the cancel and the close:
/// one that reads nothing (a resource alarm) never does, and the end of the
/// connection hands the documents back as well.
constexpr double stopSeconds = 2.0;

} // namespace

Application::Application(const Options& options)
    : AMQP::LibEvHandler(Kestrava::Event::MainLoop::instance()->loop()),
      _loop(Kestrava::Event::MainLoop::instance()), _options(&options), _settings(options),
      _addresses(options.get("rabbitmq-address")), _endpoint(options.get("endpoint")),
      _connection(this, _addresses), _channel(_connection.connection()),
      _errorRoute(this, _connection.connection(), options.get("error-exchange"),
                  options.get("error-routingkey")),
      _dnsLoop(_loop->loop(), true), _dns(&_dnsLoop, true),
      _http(std::in_place, _loop, DNS::Ip("0.0.0.0"), _dns), _timer(_loop, this, 0),
      _filterPass(_settings.filter)
{
    const std::string& mirror = options.get("rabbitmq-mirror");
    _queue = mirror.empty() ? options.get("rabbitmq-results", "results") : mirror;

    for (auto* watcher : {&_sigint, &_sigterm, &_sighup, &_sigpipe})
        watcher->start(_loop->loop());

    _http->fixedHeaders().add("User-agent: Quillmere Webhook Caller");
    _http->fixedHeaders().add("Connection: keep-alive");
    _http->connectionLimit(_settings.connections);
    _http->hostLimit(_settings.connections);

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
    end();
    // Unanswered queue checks of a connection that goes now.
    while (!_declarers.empty())
        delete *_declarers.begin();
    // The calls still under way are given up, and counted, and so are the
    // originals of copies the broker did not confirm in time (a stop on its
    // deadline, a failure): the end of the connection hands them back.
    _http.reset();
    abandonCopies();
    reportPutBack();
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

void Application::onError(AMQP::TcpConnection*, const char* message)
{
    // A broker error reaches every channel and then the connection: the
    // first report is the cause, the others repeat it.
    if (_closing) return;
    end();
    // The broker cancels a consumer whose queue was deleted or whose node was
    // lost (RabbitMQ's consumer cancel notification); the AMQP client fails
    // the connection on that basic.cancel with a text naming only the frame.
    if (std::strcmp(message, "unimplemented frame type 1 class 60 method 30") == 0)
        Proxy(Global::log, Logging::critical)
            << "The broker cancelled the consumer of queue " << _queue
            << " (the queue was deleted, or its node lost)";
    else
        Proxy(Global::log, Logging::critical) << message;
    close();
}

void Application::close()
{
    if (_closing) return;
    _closing = true;
    _connection.connection()->close();
}

void Application::closeWhenSettled()
{
    if (_signalled && !_cancelling && !_errorRoute.confirming()) close();
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
    // A second signal changes nothing: the stop has its deadline.
    if (_signalled) return;
    _signalled = true;
    _timer.set(stopSeconds);
    if (_ending) return;
    end();
    // The consumer goes first, so that the broker delivers nothing more;
    // the close follows its answer, and what was answered until then is
    // acknowledged.
    stop();
    closeWhenSettled();
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
    if (!_stopped || _ending) return;
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
    _cancelling = true;
    _channel.cancel(_consumerTag)
        .onSuccess(
            [this](const std::string&)
            {
                _cancelling = false;
                closeWhenSettled();
            })
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

void Application::end()
{
    if (_ending) return;
    // What the pause put back is told as the pause's, apart from what the
    // end hands back.
    reportPutBack();
    _ending = true;
}

void Application::onExpired()
{
    // The stop's deadline: the end of the connection settles what the
    // broker has not answered.
    if (_signalled) return (void)ev_break(_loop->loop(), EVBREAK_ONE);
    if (_ending) return;
    reportPutBack();
    start();
}

void Application::onReceived(const AMQP::Message& message, uint64_t deliveryTag)
{
    if (_stopped || _ending) return putBack(deliveryTag, "Delivered after consuming stopped");
    std::shared_ptr<Message> delivery;
    try
    {
        delivery = std::make_shared<Message>(deliveryTag);
        if (!_filterPass.copy(std::string_view(message.body(), message.bodySize()), delivery->body))
            return unparsable(message, deliveryTag);
    }
    catch (const std::exception& error)
    {
        // Out of memory, not the document's fault: it stays in the queue.
        return putBack(deliveryTag, std::string("Could not handle the document: ") + error.what());
    }
    Call* call = new Call(&_endpoint, std::move(delivery), this);
    try
    {
        _http->connect(_endpoint.url, call);
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
        acknowledge(deliveryTag);
    else if (!_errorRoute.publish(message, deliveryTag))
        putBack(deliveryTag, "The copy for the error route could not be sent");
}

void Application::putBack(uint64_t deliveryTag, const std::string& reason)
{
    // Ending, the consumer may still be subscribed: a document rejected now
    // could be delivered straight back to it, and be returned once more by
    // the close (each return spends a delivery of a quorum queue's limit).
    // The close returns every unacknowledged one, once.
    if (_ending) return _putBack.add(reason);
    if (_stopped)
        _putBack.add(reason);
    else
    {
        // The failure that pauses keeps a warning of its own.
        delay(1.0);
        Proxy(Global::log, Logging::warning) << reason;
    }
    // After the cancel, the reject waits for its answer: the broker hands
    // the document to another consumer, or to this one once it subscribes
    // again, never straight back.
    _channel.reject(deliveryTag, AMQP::requeue);
}

void Application::acknowledge(uint64_t deliveryTag)
{
    // Refused once the close is under way: the close hands it back.
    if (!_channel.ack(deliveryTag, 0)) _putBack.add("Answered too late to be acknowledged");
}

void Application::reportPutBack()
{
    size_t total = _putBack.total();
    if (total == 0) return;
    Proxy(Global::log, Logging::warning)
        << total
        << (_ending ? " documents were put back as the service stopped: "
                    : " more documents were put back during the pause: ")
        << _putBack.take();
}

void Application::onFinished(Call* call, const std::shared_ptr<Message>& message)
{
    if (call->accepted())
        acknowledge(message->deliveryTag);
    else
        putBack(message->deliveryTag, call->reason());
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
    acknowledge(deliveryTag);
    closeWhenSettled();
}

void Application::onRefused(uint64_t deliveryTag)
{
    // Paused like any failure of ours: the broker would offer it again at
    // once, and refuse its copy again.
    putBack(deliveryTag, "The broker refused the copy for the error route");
    closeWhenSettled();
}

void Application::onUnroutable(const std::string& reply, const AMQP::Message& copy)
{
    // The original of the returned copy, and with it every one not yet
    // confirmed, stays in the queue; the run ends, so that nothing is acked
    // without its copy.
    fail("Failed to publish invalid message: " + reply + "\n\nFailed message:\n" +
         std::string(copy.body(), copy.bodySize()));
    abandonCopies();
}

void Application::abandonCopies()
{
    for (uint64_t deliveryTag : _errorRoute.abandon())
        putBack(deliveryTag, "The copy for the error route was not confirmed");
}

void Application::onChannelError(const char* message)
{
    fail(message);
}
