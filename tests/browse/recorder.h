#pragma once

#include "browse/connection.h"
#include "browse/handler.h"
#include "browse/header.h"
#include "event/loop.h"

#include <ev.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Testing
{

/**
 * A handler that writes scripted requests and records the reports as text
 * ("available", "head 200", "completed", "failed <message>", ...), the
 * body and each head's X-Client-Port and X-SNI. It is finished at its
 * terminal report: any but onCompleted; onCompleted of its last request
 * when it is a client's request; or, on a bare connection, at onCompleted
 * of a body that ended the connection, and else at the close that follows
 * (asked for when offered the connection once more).
 */
class Recorder : public Kestrava::Browse::Handler
{
public:
    using Connection = Kestrava::Browse::Connection;

    /// Writes one request; by default "GET" of `path` with emptyline().
    std::function<void(Connection*)> write;
    std::string path = "/";
    /// How many requests to write, one per offer; an offer before the
    /// last request completed (a repeat) writes it again.
    int requests = 1;
    /// Whether the connection is a bare one that the recorder closes.
    bool bare = true;

    std::vector<std::string> events;
    std::string body;
    std::vector<std::string> clientPorts;
    std::vector<std::string> sni;
    /// At each offer: the connection's secure(false), secure(true) and
    /// certificateError() when there is one.
    std::vector<std::string> security;
    /// Each head's secure flag.
    std::vector<bool> secureHeads;
    bool finished = false;
    /// Called once finished.
    std::function<void()> onFinished;
    /// Called after each head is recorded.
    std::function<void(Connection*)> onHead;

    void onFailed(const char* message) override { finish(std::string("failed ") + message); }
    void onExpired(Connection*) override { finish("expired"); }
    void onAvailable(Connection* connection) override
    {
        if (requests == 0 && !_asked)
        {
            events.push_back("available");
            connection->close();
            return;
        }
        if (!std::exchange(_asked, true)) --requests;
        events.push_back("available");
        const char* error = connection->certificateError();
        security.push_back(std::to_string(connection->secure(false)) + " " +
                           std::to_string(connection->secure(true)) +
                           (error != nullptr ? std::string(" ") + error : std::string()));
        if (write)
            write(connection);
        else
        {
            connection->request("GET", path.data(), path.size());
            connection->emptyline();
        }
    }
    void onHeader(Connection* connection, const Kestrava::Browse::Header& header) override
    {
        events.push_back("head " + std::to_string(header.status()));
        if (const char* port = header.get("X-Client-Port")) clientPorts.push_back(port);
        if (const char* name = header.get("X-SNI")) sni.push_back(name);
        secureHeads.push_back(header.secure());
        if (onHead) onHead(connection);
    }
    void onReceived(Connection*, const char* data, size_t size) override
    {
        body.append(data, size);
    }
    void onCompleted(Connection* connection) override
    {
        events.push_back("completed");
        _asked = false;
        if (requests == 0 && (!bare || !connection->connected())) finish(std::string());
    }
    void onLost(Connection*) override { finish("lost"); }
    void onClosed(Connection*) override { finish("closed"); }

private:
    /// A request was written and its answer has not completed.
    bool _asked = false;

    void finish(std::string event)
    {
        if (!event.empty()) events.push_back(std::move(event));
        finished = true;
        if (onFinished) onFinished();
    }
};

/// Runs the loop until `done` says so, at most `seconds` seconds.
inline bool runUntil(Kestrava::Event::Loop& loop, const std::function<bool()>& done,
                     double seconds = 10.0)
{
    // A tick, so that a loop with nothing else to wait for still returns.
    ev_timer tick;
    ev_timer_init(
        &tick, [](struct ev_loop*, ev_timer*, int) {}, 0.05, 0.05);
    ev_timer_start(loop.loop(), &tick);
    double end = ev_time() + seconds;
    while (!done() && ev_time() < end)
        ev_run(loop.loop(), EVRUN_ONCE);
    ev_timer_stop(loop.loop(), &tick);
    return done();
}

} // namespace Testing
