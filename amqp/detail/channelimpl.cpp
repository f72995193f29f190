#include "amqp/detail/channelimpl.h"

#include "amqp/frames/basicframes.h"
#include "amqp/frames/basicheaderframe.h"
#include "amqp/frames/bodyframe.h"
#include "amqp/frames/channelframes.h"
#include "amqp/frames/confirmframes.h"
#include "amqp/connection.h"
#include "amqp/deferredcancel.h"
#include "amqp/deferredconfirm.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferreddelete.h"
#include "amqp/deferredget.h"
#include "amqp/deferredqueue.h"
#include "amqp/deferredrecall.h"
#include "amqp/envelope.h"
#include "amqp/frames/exchangeframes.h"
#include "amqp/flags.h"
#include "amqp/monitor.h"
#include "amqp/frames/queueframes.h"
#include "amqp/frames/transactionframes.h"

#include <algorithm>
#include <cassert>
#include <optional>
#include <type_traits>

namespace AMQP
{

namespace
{

const char* exchangeTypeName(ExchangeType type)
{
    switch (type)
    {
    case fanout:
        return "fanout";
    case direct:
        return "direct";
    case topic:
        return "topic";
    case headers:
        return "headers";
    case consistent_hash:
        return "x-consistent-hash";
    case message_deduplication:
        return "x-message-deduplication";
    }
    return "";
}

bool has(int flags, int flag)
{
    return (flags & flag) != 0;
}

/// The frame that build makes; none when an argument cannot be encoded (a
/// name too long for the wire).
template <class Build> std::optional<std::invoke_result_t<Build>> encode(Build&& build)
{
    try
    {
        return build();
    }
    catch (const Exception&)
    {
        return std::nullopt;
    }
}

} // namespace

ChannelImpl::~ChannelImpl()
{
    // Attached, the connection's table would still own the channel.
    assert(_connection == nullptr);
}

bool ChannelImpl::attach(Connection* connection)
{
    ConnectionImpl* implementation = &connection->_implementation;
    _id = implementation->add(shared_from_this());
    if (_id == 0) return false;
    _connection = implementation;
    _state = State::connected;
    _opening = true;
    if (send(ChannelOpenFrame(_id))) return true;
    _state = State::closed;
    _opening = false;
    if (_connection != nullptr) _connection->remove(this);
    _connection = nullptr;
    return false;
}

bool ChannelImpl::usable() const
{
    return (_state == State::connected || _state == State::ready) && _connection != nullptr;
}

uint32_t ChannelImpl::maxPayload() const
{
    return _connection == nullptr ? 0 : _connection->maxPayload();
}

bool ChannelImpl::awaitingReply() const
{
    for (const Deferred* result = _oldest.get(); result != nullptr; result = result->next().get())
    {
        if (result->_awaitsReply) return true;
    }
    return false;
}

bool ChannelImpl::send(const Frame& frame)
{
    // Once channel.close is out the channel sends nothing more, and says so.
    if (_state == State::closed || _state == State::closing || _connection == nullptr) return false;
    // Checked here too: a frame held back goes out later without a check.
    if (frame.totalSize() > _connection->maxFrame()) return false;
    if (waiting())
    {
        _held.emplace_back(frame);
        return true;
    }
    // Set first, so that what a callback sends meanwhile waits behind it.
    _synchronous = frame.synchronous();
    Monitor monitor(this);
    if (_connection->send(frame)) return true;
    if (monitor.valid()) _synchronous = false;
    return false;
}

template <class Result, class Build, class... Extra>
std::shared_ptr<Result> ChannelImpl::request(Build&& build, Extra... extra)
{
    // A name too long for the wire is refused like a frame that is too big.
    auto frame = encode(std::forward<Build>(build));
    bool sent = frame && send(*frame);
    auto result = std::make_shared<Result>(extra..., !sent);
    push(result);
    return result;
}

void ChannelImpl::push(const std::shared_ptr<Deferred>& result)
{
    if (!*result)
    {
        _refused.push_back(result);
        return;
    }
    if (_newest)
        _newest->add(result);
    else
        _oldest = result;
    _newest = result;
}

std::shared_ptr<Deferred> ChannelImpl::pop()
{
    auto result = std::move(_oldest);
    _oldest = result->next();
    result->unchain();
    if (!_oldest) _newest.reset();
    return result;
}

Deferred& ChannelImpl::declareExchange(const std::string& name, ExchangeType type, int flags,
                                       const Table& arguments)
{
    bool noWait = has(flags, nowait);
    auto result = request<Deferred>(
        [&]
        {
            return ExchangeDeclareFrame(_id, name, exchangeTypeName(type), has(flags, passive),
                                        has(flags, durable), has(flags, autodelete),
                                        has(flags, internal), noWait, arguments);
        });
    if (noWait) result->_awaitsReply = false;
    return *result;
}

Deferred& ChannelImpl::bindExchange(const std::string& source, const std::string& target,
                                    const std::string& routingKey, const Table& arguments)
{
    return *request<Deferred>(
        [&] { return ExchangeBindFrame(_id, target, source, routingKey, false, arguments); });
}

Deferred& ChannelImpl::unbindExchange(const std::string& source, const std::string& target,
                                      const std::string& routingKey, const Table& arguments)
{
    return *request<Deferred>(
        [&] { return ExchangeUnbindFrame(_id, target, source, routingKey, false, arguments); });
}

Deferred& ChannelImpl::removeExchange(const std::string& name, int flags)
{
    return *request<Deferred>(
        [&] { return ExchangeDeleteFrame(_id, name, has(flags, ifunused), false); });
}

DeferredQueue& ChannelImpl::declareQueue(const std::string& name, int flags, const Table& arguments)
{
    return *request<DeferredQueue>(
        [&]
        {
            return QueueDeclareFrame(_id, name, has(flags, passive), has(flags, durable),
                                     has(flags, exclusive), has(flags, autodelete), false,
                                     arguments);
        });
}

Deferred& ChannelImpl::bindQueue(const std::string& exchange, const std::string& queue,
                                 const std::string& routingKey, const Table& arguments)
{
    return *request<Deferred>(
        [&] { return QueueBindFrame(_id, queue, exchange, routingKey, false, arguments); });
}

Deferred& ChannelImpl::unbindQueue(const std::string& exchange, const std::string& queue,
                                   const std::string& routingKey, const Table& arguments)
{
    return *request<Deferred>(
        [&] { return QueueUnbindFrame(_id, queue, exchange, routingKey, arguments); });
}

DeferredDelete& ChannelImpl::purgeQueue(const std::string& name)
{
    return *request<DeferredDelete>([&] { return QueuePurgeFrame(_id, name, false); });
}

DeferredDelete& ChannelImpl::removeQueue(const std::string& name, int flags)
{
    return *request<DeferredDelete>(
        [&]
        { return QueueDeleteFrame(_id, name, has(flags, ifunused), has(flags, ifempty), false); });
}

bool ChannelImpl::publish(const std::string& exchange, const std::string& routingKey,
                          const Envelope& envelope, int flags)
{
    if (!usable()) return false;
    // Both checked before anything goes out: a method without its content
    // would leave the broker waiting for a header that never comes.
    BasicHeaderFrame header(_id, envelope);
    if (header.totalSize() > _connection->maxFrame()) return false;
    auto method = encode(
        [&]
        {
            return BasicPublishFrame(_id, exchange, routingKey, has(flags, mandatory),
                                     has(flags, immediate));
        });
    if (!method) return false;
    const uint32_t maxPayload = this->maxPayload();
    Monitor monitor(this);
    if (!send(*method) || !monitor.valid()) return false;
    if (!send(header) || !monitor.valid()) return false;
    const char* body = envelope.body();
    for (uint64_t remaining = envelope.bodySize(); remaining > 0;)
    {
        auto size = static_cast<uint32_t>(std::min<uint64_t>(remaining, maxPayload));
        if (!send(BodyFrame(_id, body, size)) || !monitor.valid()) return false;
        body += size;
        remaining -= size;
    }
    return true;
}

Deferred& ChannelImpl::setQos(uint16_t prefetchCount, bool global)
{
    return *request<Deferred>([&] { return BasicQosFrame(_id, prefetchCount, global); });
}

DeferredConsumer& ChannelImpl::consume(const std::string& queue, const std::string& tag, int flags,
                                       const Table& arguments)
{
    return *request<DeferredConsumer>(
        [&]
        {
            return BasicConsumeFrame(_id, queue, tag, has(flags, nolocal), has(flags, noack),
                                     has(flags, exclusive), false, arguments);
        },
        this);
}

DeferredCancel& ChannelImpl::cancel(const std::string& tag)
{
    return *request<DeferredCancel>([&] { return BasicCancelFrame(_id, tag, false); }, this);
}

DeferredGet& ChannelImpl::get(const std::string& queue, int flags)
{
    return *request<DeferredGet>([&] { return BasicGetFrame(_id, queue, has(flags, noack)); },
                                 this);
}

bool ChannelImpl::ack(uint64_t deliveryTag, int flags)
{
    return send(BasicAckFrame(_id, deliveryTag, has(flags, multiple)));
}

bool ChannelImpl::reject(uint64_t deliveryTag, int flags)
{
    if (has(flags, multiple))
        return send(BasicNackFrame(_id, deliveryTag, true, has(flags, requeue)));
    return send(BasicRejectFrame(_id, deliveryTag, has(flags, requeue)));
}

Deferred& ChannelImpl::recover(int flags)
{
    return *request<Deferred>([&] { return BasicRecoverFrame(_id, has(flags, requeue)); });
}

DeferredRecall& ChannelImpl::recall()
{
    if (!_recall) _recall = std::make_shared<DeferredRecall>(this, false);
    return *_recall;
}

DeferredConfirm& ChannelImpl::confirmSelect()
{
    _confirm = request<DeferredConfirm>([&] { return ConfirmSelectFrame(_id, false); });
    return *_confirm;
}

Deferred& ChannelImpl::startTransaction()
{
    return *request<Deferred>([&] { return TransactionSelectFrame(_id); });
}

Deferred& ChannelImpl::commitTransaction()
{
    return *request<Deferred>([&] { return TransactionCommitFrame(_id); });
}

Deferred& ChannelImpl::rollbackTransaction()
{
    return *request<Deferred>([&] { return TransactionRollbackFrame(_id); });
}

Deferred& ChannelImpl::pause()
{
    return *request<Deferred>([&] { return ChannelFlowFrame(_id, false); });
}

Deferred& ChannelImpl::resume()
{
    return *request<Deferred>([&] { return ChannelFlowFrame(_id, true); });
}

Deferred& ChannelImpl::close()
{
    if (usable())
    {
        auto result = request<Deferred>([&] { return ChannelCloseFrame(_id, 0, "", 0, 0); });
        if (*result) _state = State::closing;
        return *result;
    }
    // Closing already, the second close fails; a closed channel has
    // nothing left to close.
    auto result = std::make_shared<Deferred>(_state == State::closing);
    push(result);
    return *result;
}

void ChannelImpl::onError(std::function<void(const char*)> callback)
{
    _errorCallback = std::move(callback);
    if (usable() || !_errorCallback) return;
    const char* reason = "Channel is in error state, something went wrong with the AMQP connection";
    if (_state == State::closing)
        reason = "Channel is closing down";
    else if (_connection == nullptr)
        reason = "Channel is not linked to a connection";
    else if (_connection->ready())
        reason = "Channel is in an error state, but the connection is valid";
    else if (_connection->closing())
        reason = "Channel is in an error state, the AMQP connection is closing down";
    else if (_connection->closed())
        reason = "Channel is in an error state, the AMQP connection has been closed";
    auto report = _errorCallback;
    report(reason);
}

std::shared_ptr<DeferredConsumer> ChannelImpl::consumer(const std::string& tag) const
{
    auto found = _consumers.find(tag);
    return found == _consumers.end() ? nullptr : found->second;
}

void ChannelImpl::install(const std::string& tag, std::shared_ptr<DeferredConsumer> consumer)
{
    _consumers[tag] = std::move(consumer);
}

void ChannelImpl::uninstall(const std::string& tag)
{
    auto found = _consumers.find(tag);
    if (found == _consumers.end()) return;
    // Released after the map is done with: its finalize callback may
    // destroy the channel.
    auto consumer = std::move(found->second);
    _consumers.erase(found);
}

bool ChannelImpl::flush()
{
    _synchronous = false;
    Monitor monitor(this);
    // Frames held back were accepted before any close, so they go out even
    // while the channel is closing: its close waits behind them.
    while (_connection != nullptr && !_synchronous && !_held.empty())
    {
        CopiedBuffer buffer(std::move(_held.front()));
        _held.pop_front();
        _synchronous = buffer.synchronous();
        // A channel hears from the broker only while the connection is up,
        // and the connection closes only once no channel holds frames: so
        // it takes every frame released here.
        [[maybe_unused]] bool sent = _connection->send(std::move(buffer));
        assert(sent);
        if (!monitor.valid()) return false;
    }
    return true;
}

template <class Report> bool ChannelImpl::resolve(Report&& report)
{
    Monitor monitor(this);
    // Refused results have had their chance to get callbacks installed.
    std::vector<std::shared_ptr<Deferred>>().swap(_refused);
    if (!monitor.valid() || !flush()) return false;
    while (_oldest && !_oldest->_awaitsReply)
    {
        pop()->reportSuccess();
        if (!monitor.valid()) return false;
    }
    if (!_oldest) return true;
    auto result = pop();
    report(*result);
    return monitor.valid();
}

bool ChannelImpl::reportSuccess()
{
    return resolve([](Deferred& result) { result.reportSuccess(); });
}

bool ChannelImpl::reportSuccess(const std::string& name, uint32_t messageCount,
                                uint32_t consumerCount)
{
    return resolve([&](Deferred& result)
                   { result.reportSuccess(name, messageCount, consumerCount); });
}

bool ChannelImpl::reportSuccess(uint32_t messageCount)
{
    return resolve([&](Deferred& result) { result.reportSuccess(messageCount); });
}

bool ChannelImpl::reportSuccess(const std::string& consumerTag)
{
    return resolve([&](Deferred& result) { result.reportSuccess(consumerTag); });
}

bool ChannelImpl::reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered)
{
    return resolve([&](Deferred& result)
                   { result.reportSuccess(messageCount, deliveryTag, redelivered); });
}

void ChannelImpl::reportReady()
{
    _opening = false;
    // A channel closed while it was opening stays closing: its close is
    // among the frames held back.
    bool opened = _state == State::connected;
    if (opened) _state = State::ready;
    if (!flush() || !opened || !_readyCallback) return;
    auto report = _readyCallback;
    report();
}

void ChannelImpl::reportClosed()
{
    _state = State::closed;
    if (reportSuccess()) reportError("Channel has been closed", false);
}

void ChannelImpl::reportError(const char* message, bool notifyHandler)
{
    // The text may live in something a callback frees.
    const std::string reason = message;
    _state = State::closed;
    _synchronous = false;
    _held.clear();
    Monitor monitor(this);
    std::vector<std::shared_ptr<Deferred>>().swap(_refused);
    if (!monitor.valid()) return;
    const char* text = reason.c_str();
    while (_oldest)
    {
        pop()->reportError(text);
        if (!monitor.valid()) return;
        text = "Channel is in error state";
    }
    if (notifyHandler && _errorCallback)
    {
        auto report = _errorCallback;
        report(reason.c_str());
        if (!monitor.valid()) return;
    }
    if (_connection == nullptr) return;
    // The table may hold the last reference.
    auto self = shared_from_this();
    _connection->remove(this);
    _connection = nullptr;
}

} // namespace AMQP
