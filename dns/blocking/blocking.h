#pragma once

#include "dns/handler.h"

struct ev_loop;

namespace Kestrava
{
namespace Dns
{

/// The handler of a blocking lookup: passes the outcome on to the caller's
/// handler and ends the private loop that runs the lookup.
class Blocking : public DNS::Handler
{
public:
    Blocking(struct ev_loop* loop, DNS::Handler* handler) : _loop(loop), _handler(handler) {}

    void onTimeout(const DNS::Operation* operation) override;
    void onReceived(const DNS::Operation* operation, const DNS::Response& response) override;

    /// Whether an answer came (a failed one included).
    bool answered() const { return _answered; }
    /// Whether the lookup has ended, answered or timed out.
    bool over() const { return _over; }

private:
    struct ev_loop* _loop;
    DNS::Handler* _handler;
    bool _answered = false;
    bool _over = false;
};

} // namespace Dns
} // namespace Kestrava
