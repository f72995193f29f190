#pragma once

#include "dns/message/ip.h"
#include "dns/transport/inbound.h"
#include "dns/watchable.h"

#include <deque>
#include <utility>
#include <vector>

namespace DNS
{

class Response;
class Watcher;

/// A socket on which answers arrive. Received messages wait here until a
/// run of the Core asks for them: at once from the loop's callback of a
/// UDP socket (see Handler::onReadable), at the next timer run otherwise.
class Socket : public Inbound, public Watchable
{
public:
    /// Told when a received message (or other news for the lookups) waits.
    class Handler
    {
    public:
        /// For the next delivery; may not destroy the socket.
        virtual void onActive(Socket* socket) = 0;
        /// From the loop's own callback, with received messages waiting: the
        /// owner may deliver them at once, and may destroy the socket.
        virtual void onReadable(Socket* socket) = 0;

    protected:
        virtual ~Handler() = default;
    };

    explicit Socket(Handler* handler) : _handler(handler) {}

    /// Offers waiting messages to their subscribers until max lookups have
    /// finished; the number that finished. A callee may destroy the socket,
    /// which ends the call.
    virtual size_t process(size_t max);
    /// Whether work waits for the next process.
    virtual bool active() const { return !_received.empty(); }

protected:
    /// An answer with this id is being processed.
    virtual void onReceivedId(unsigned short) {}
    /// Queues a message; the caller tells the handler.
    void received(const Ip& sender, std::vector<unsigned char> message);
    /// The same with a copy of the bytes, in a buffer of an earlier message
    /// when one is spare.
    void received(const Ip& sender, const unsigned char* data, size_t size);

    Handler* _handler;

private:
    /// Offers the response to each lookup waiting for its id from the sender
    /// until one takes it; 1 when one finished.
    size_t offer(const Ip& sender, const Response& response, const Watcher& watcher);

    std::deque<std::pair<Ip, std::vector<unsigned char>>> _received;
    // Buffers of handled messages, for the next ones.
    std::vector<std::vector<unsigned char>> _spare;
};

} // namespace DNS
