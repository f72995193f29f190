#include "amqp/detail/connectionimpl.h"

#include "amqp/buffers/buffer.h"
#include "amqp/detail/channelimpl.h"
#include "amqp/frames/connectionframes.h"
#include "amqp/connectionhandler.h"
#include "amqp/detail/framerouter.h"
#include "amqp/exception.h"
#include "amqp/frames/heartbeatframe.h"
#include "amqp/monitor.h"
#include "amqp/buffers/passthroughbuffer.h"
#include "amqp/detail/protocolexception.h"
#include "amqp/frames/protocolheaderframe.h"
#include "amqp/frames/receivedframe.h"
#include "amqp/buffers/reducedbuffer.h"

#include <vector>

namespace AMQP
{

namespace
{

/// The smallest frame-max a peer may set; below it not even the handshake
/// fits.
constexpr uint32_t minimumFrameMax = 4096;

/// The frame-max taken when the broker sets none: a connection needs some
/// bound on what it buffers and on what the broker may send.
constexpr uint32_t unlimitedFrameMax = 131072;

} // namespace

ConnectionImpl::ConnectionImpl(Connection* parent, ConnectionHandler* handler, const Login& login,
                               const std::string& vhost)
    : _parent(parent), _handler(handler), _login(login), _vhost(vhost)
{
    send(ProtocolHeaderFrame(0, 9, 1));
}

ConnectionImpl::~ConnectionImpl()
{
    close();
    auto channels = std::move(_channels);
    _channels.clear();
    for (const auto& entry : channels)
        entry.second->detach();
}

uint64_t ConnectionImpl::parse(const Buffer& buffer)
{
    if (_state == State::closed) return 0;
    Monitor monitor(this);
    detail::FrameRouter router(*this, monitor);
    uint64_t processed = 0;
    try
    {
        while (processed < buffer.size())
        {
            ReducedBuffer rest(buffer, processed);
            ReceivedFrame frame(rest, _maxFrame);
            if (!frame.complete())
            {
                // The header bounds the frame by the maximum: it fits.
                _expected = frame.header() ? static_cast<uint32_t>(frame.totalSize()) : 7;
                return processed;
            }
            frame.process(&router);
            processed += frame.totalSize();
            // Whatever follows a close is not for us any more.
            if (!monitor.valid() || _state == State::closed) return processed;
        }
    }
    // Besides the broker's faults, an answer of ours that cannot be encoded
    // (a virtual host too long for a short string) ends the connection.
    catch (const Exception& error)
    {
        if (monitor.valid()) reportError(error.what());
        return processed;
    }
    _expected = 7;
    closeWhenIdle();
    return processed;
}

bool ConnectionImpl::close()
{
    if (_closeRequested || _state == State::closed) return false;
    _closeRequested = true;
    Monitor monitor(this);
    // A copy: each close may change the table, or end the connection.
    std::vector<std::shared_ptr<ChannelImpl>> channels;
    for (const auto& entry : _channels)
        channels.push_back(entry.second);
    for (const auto& channel : channels)
    {
        channel->close();
        if (!monitor.valid()) return true;
    }
    closeWhenIdle();
    return true;
}

bool ConnectionImpl::fail(const char* message)
{
    if (_state == State::closed) return false;
    const std::string reason = message;
    failChannels(reason.c_str());
    return true;
}

bool ConnectionImpl::heartbeat()
{
    // Not subject to the closing rules of send: a close that waits for the
    // broker's replies would otherwise be dropped by its heartbeat time-out.
    if (_state == State::closed) return false;
    Monitor monitor(this);
    PassthroughBuffer buffer(_parent, _handler, HeartbeatFrame(), monitor);
    return true;
}

bool ConnectionImpl::send(const Frame& frame)
{
    if (_state == State::closed) return false;
    // Closing, only the answer to a close that crossed ours may still go.
    if (_state == State::closing && !frame.partOfShutdown()) return false;
    if (_closeRequested && !frame.partOfShutdown() && !frame.partOfHandshake()) return false;
    if (frame.totalSize() > _maxFrame) return false;
    // The handshake and the close cannot wait behind frames that are
    // queued until the connection is ready.
    if ((_state == State::connected && _queue.empty()) || frame.partOfHandshake() ||
        frame.partOfShutdown())
    {
        Monitor monitor(this);
        PassthroughBuffer buffer(_parent, _handler, frame, monitor);
        return true;
    }
    _queue.emplace_back(frame);
    return true;
}

bool ConnectionImpl::send(CopiedBuffer&& buffer)
{
    if (_state != State::connected) return false;
    if (!_queue.empty())
    {
        _queue.push_back(std::move(buffer));
        return true;
    }
    _handler->onData(_parent, buffer.data(), buffer.size());
    return true;
}

uint16_t ConnectionImpl::add(const std::shared_ptr<ChannelImpl>& channel)
{
    if (_channelLimit != 0 && _channels.size() >= _channelLimit) return 0;
    // Every id but 0 once at most, then there is none left.
    for (unsigned attempts = 0; attempts < 65536; ++attempts, ++_nextFreeChannel)
    {
        if (_nextFreeChannel == 0 || _channels.count(_nextFreeChannel) != 0) continue;
        uint16_t id = _nextFreeChannel++;
        _channels.emplace(id, channel);
        return id;
    }
    return 0;
}

void ConnectionImpl::remove(const ChannelImpl* channel)
{
    auto found = _channels.find(channel->id());
    if (found != _channels.end() && found->second.get() == channel) _channels.erase(found);
}

std::shared_ptr<ChannelImpl> ConnectionImpl::channel(int id) const
{
    auto found = _channels.find(static_cast<uint16_t>(id));
    return found == _channels.end() ? nullptr : found->second;
}

bool ConnectionImpl::setProtocolOk(const Table& server, Table& client)
{
    Monitor monitor(this);
    _handler->onProperties(_parent, server, client);
    if (!monitor.valid()) return false;
    if (_state == State::protocol) _state = State::handshake;
    return true;
}

void ConnectionImpl::setCapacity(uint16_t channels, uint32_t frameMax)
{
    if (frameMax != 0 && frameMax < minimumFrameMax)
        throw ProtocolException("frame-max " + std::to_string(frameMax) +
                                " is below the minimum of " + std::to_string(minimumFrameMax));
    _channelLimit = channels;
    _maxFrame = frameMax == 0 ? unlimitedFrameMax : frameMax;
}

uint16_t ConnectionImpl::setHeartbeat(uint16_t interval)
{
    return _handler->onNegotiate(_parent, interval);
}

void ConnectionImpl::setReady()
{
    _state = State::connected;
    Monitor monitor(this);
    _handler->onReady(_parent);
    // What was sent during the handshake goes out now, in order; frames
    // sent meanwhile queue up behind it.
    while (monitor.valid() && _state == State::connected && !_queue.empty())
    {
        const CopiedBuffer& front = _queue.front();
        _handler->onData(_parent, front.data(), front.size());
        if (monitor.valid()) _queue.pop_front();
    }
    if (monitor.valid()) closeWhenIdle();
}

void ConnectionImpl::reportClosed()
{
    _state = State::closed;
    _handler->onClosed(_parent);
}

void ConnectionImpl::reportHeartbeat()
{
    _handler->onHeartbeat(_parent);
}

void ConnectionImpl::reportBlocked(const std::string& reason)
{
    _handler->onBlocked(_parent, reason.c_str());
}

void ConnectionImpl::reportUnblocked()
{
    _handler->onUnblocked(_parent);
}

void ConnectionImpl::reportError(const char* message)
{
    const std::string reason = message;
    Monitor monitor(this);
    failChannels(reason.c_str());
    if (monitor.valid()) _handler->onError(_parent, reason.c_str());
}

bool ConnectionImpl::usable() const
{
    return _state <= State::connected && !_closeRequested;
}

bool ConnectionImpl::channelsWaiting() const
{
    for (const auto& entry : _channels)
    {
        if (entry.second->waiting()) return true;
    }
    return false;
}

void ConnectionImpl::closeWhenIdle()
{
    if (!_closeRequested || _state != State::connected || !_queue.empty() || channelsWaiting())
        return;
    // Closing first: from now on nothing but the close goes out.
    _state = State::closing;
    send(ConnectionCloseFrame(0, "shutdown", 0, 0));
}

void ConnectionImpl::failChannels(const char* message)
{
    _state = State::closed;
    Monitor monitor(this);
    while (!_channels.empty())
    {
        auto channel = _channels.begin()->second;
        channel->reportError(message, true);
        if (!monitor.valid()) return;
        // A failed channel leaves by itself; this only makes sure the loop ends.
        remove(channel.get());
    }
}

} // namespace AMQP
