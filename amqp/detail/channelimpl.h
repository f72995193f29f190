#pragma once

#include "amqp/buffers/copiedbuffer.h"
#include "amqp/deferred.h"
#include "amqp/exchangetype.h"
#include "amqp/watchable.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace AMQP
{

class Connection;
class ConnectionImpl;
class DeferredCancel;
class DeferredConfirm;
class DeferredConsumer;
class DeferredDelete;
class DeferredGet;
class DeferredQueue;
class DeferredRecall;
class DeferredReceiver;
class Envelope;
class Frame;
class Table;

/// One channel on a connection: turns the operations into method frames,
/// keeps the order of the conversation, and resolves the results.
///
/// States: connected (channel.open sent) -> ready (open-ok received) ->
/// closing (channel.close sent) -> closed; closed is also the state of a
/// channel that was never attached, that the broker closed or that failed.
/// While the reply to a synchronous request is outstanding, later frames
/// are held back, so that each goes out only after the broker has answered
/// everything before it; the replies resolve the waiting results oldest
/// first.
///
/// Ownership: shared by the Channel that the user holds and by the
/// connection's table while the channel is attached, so that a channel
/// whose user let go still receives the answers to what it sent. Any
/// callback may destroy the channel or the connection; the code here holds
/// a Monitor across every call out.
class ChannelImpl : public Watchable, public std::enable_shared_from_this<ChannelImpl>
{
public:
    enum class State
    {
        connected,
        ready,
        closing,
        closed
    };

    ChannelImpl() = default;
    ~ChannelImpl() override;

    /// Takes an id from the connection and sends channel.open; false when
    /// the connection has no id left or refused the frame. The channel must
    /// be held by a shared pointer.
    bool attach(Connection* connection);

    // The operations; see Channel.
    Deferred& declareExchange(const std::string& name, ExchangeType type, int flags,
                              const Table& arguments);
    Deferred& bindExchange(const std::string& source, const std::string& target,
                           const std::string& routingKey, const Table& arguments);
    Deferred& unbindExchange(const std::string& source, const std::string& target,
                             const std::string& routingKey, const Table& arguments);
    Deferred& removeExchange(const std::string& name, int flags);
    DeferredQueue& declareQueue(const std::string& name, int flags, const Table& arguments);
    Deferred& bindQueue(const std::string& exchange, const std::string& queue,
                        const std::string& routingKey, const Table& arguments);
    Deferred& unbindQueue(const std::string& exchange, const std::string& queue,
                          const std::string& routingKey, const Table& arguments);
    DeferredDelete& purgeQueue(const std::string& name);
    DeferredDelete& removeQueue(const std::string& name, int flags);
    bool publish(const std::string& exchange, const std::string& routingKey,
                 const Envelope& envelope, int flags);
    Deferred& setQos(uint16_t prefetchCount, bool global);
    DeferredConsumer& consume(const std::string& queue, const std::string& tag, int flags,
                              const Table& arguments);
    DeferredCancel& cancel(const std::string& tag);
    DeferredGet& get(const std::string& queue, int flags);
    bool ack(uint64_t deliveryTag, int flags);
    bool reject(uint64_t deliveryTag, int flags);
    Deferred& recover(int flags);
    DeferredRecall& recall();
    DeferredConfirm& confirmSelect();
    Deferred& startTransaction();
    Deferred& commitTransaction();
    Deferred& rollbackTransaction();
    Deferred& pause();
    Deferred& resume();
    Deferred& close();
    void onReady(std::function<void()> callback) { _readyCallback = std::move(callback); }
    void onError(std::function<void(const char* message)> callback);

    uint16_t id() const { return _id; }
    State state() const { return _state; }
    /// channel.open went out and its answer has not come yet.
    bool opening() const { return _opening; }
    /// Attached, and open or opening.
    bool usable() const;
    /// A reply is outstanding or frames are held back.
    bool waiting() const { return _synchronous || !_held.empty(); }
    /// Whether a result waits for a reply from the broker.
    bool awaitingReply() const;
    /// Body octets that fit in one frame.
    uint32_t maxPayload() const;

    /// The connection goes away; the channel lives on without it.
    void detach() { _connection = nullptr; }

    // Driven by received frames.
    void reportReady();
    void reportClosed();
    /// Fails the waiting results (the oldest with message, the others with
    /// "Channel is in error state"), tells the error callback when
    /// notifyHandler, and leaves the connection.
    void reportError(const char* message, bool notifyHandler);
    /// A reply resolves the oldest waiting result; false when the channel
    /// was destroyed on the way.
    bool reportSuccess();
    bool reportSuccess(const std::string& name, uint32_t messageCount, uint32_t consumerCount);
    bool reportSuccess(uint32_t messageCount);
    bool reportSuccess(const std::string& consumerTag);
    bool reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered);

    std::shared_ptr<DeferredConsumer> consumer(const std::string& tag) const;
    const std::shared_ptr<DeferredReceiver>& receiver() const { return _receiver; }
    const std::shared_ptr<DeferredRecall>& recalls() const { return _recall; }
    const std::shared_ptr<DeferredConfirm>& confirm() const { return _confirm; }
    /// The receiver of the message now arriving; empty between messages.
    void install(std::shared_ptr<DeferredReceiver> receiver) { _receiver = std::move(receiver); }
    void install(const std::string& tag, std::shared_ptr<DeferredConsumer> consumer);
    void uninstall(const std::string& tag);

    /// A reply arrived: sends the frames held back behind it. False when
    /// the channel was destroyed meanwhile.
    bool flush();

private:
    bool send(const Frame& frame);
    /// Sends the frame that build makes and returns a new result, failed
    /// when the frame was refused (an argument that cannot be encoded
    /// counts as refused).
    template <class Result, class Build, class... Extra>
    std::shared_ptr<Result> request(Build&& build, Extra... extra);
    void push(const std::shared_ptr<Deferred>& result);
    /// Takes the oldest waiting result out of the chain.
    std::shared_ptr<Deferred> pop();
    /// Resolves the oldest waiting result with report.
    template <class Report> bool resolve(Report&& report);

    ConnectionImpl* _connection = nullptr;
    std::function<void()> _readyCallback;
    std::function<void(const char*)> _errorCallback;
    std::shared_ptr<DeferredRecall> _recall;
    std::shared_ptr<DeferredConfirm> _confirm;
    std::map<std::string, std::shared_ptr<DeferredConsumer>> _consumers;
    std::shared_ptr<Deferred> _oldest;
    std::shared_ptr<Deferred> _newest;
    /// Results whose frames were refused: they will get no reply, so they
    /// stay out of the chain; kept only until the caller has had the
    /// chance to install callbacks (the next reply, or the channel's end).
    std::vector<std::shared_ptr<Deferred>> _refused;
    uint16_t _id = 0;
    State _state = State::closed;
    bool _opening = false;
    std::deque<CopiedBuffer> _held;
    bool _synchronous = false;
    std::shared_ptr<DeferredReceiver> _receiver;
};

} // namespace AMQP
