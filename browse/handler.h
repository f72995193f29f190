#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{

class Connection;
class Header;

/**
 * What happens to one request on a connection.
 *
 * A request ends with exactly one terminal report: onFailed, onExpired,
 * onCompleted, onLost or onClosed; before it come any number of
 * onAvailable, onHeader and onReceived. The connection is the connection's
 * own: after onFailed, onExpired, onLost, onClosed, and after onCompleted of
 * a body that ended with the connection, it is gone. Texts, heads and data
 * are valid only during the call. Reports never come from inside the call
 * that asked for the connection.
 */
class Handler
{
public:
    /// No connection could be made; `message` says why.
    virtual void onFailed(const char* message) = 0;
    /// The connection's deadline passed.
    virtual void onExpired(Connection* connection) = 0;
    /// The connection can carry a request: write it now. It comes once
    /// more, with a fresh connection, for a repeatable request whose
    /// kept-alive connection the server closed before answering (see
    /// Connection::repeatable()): write the same request again.
    virtual void onAvailable(Connection* connection) = 0;
    /// A response head, interim ones (1xx) included.
    virtual void onHeader(Connection* connection, const Header& header) = 0;
    /// A piece of the response body.
    virtual void onReceived(Connection* connection, const char* data, size_t size) = 0;
    /// The response is complete.
    virtual void onCompleted(Connection* connection) = 0;
    /// The response broke off or could not be read.
    virtual void onLost(Connection* connection) = 0;
    /// The connection closed in order.
    virtual void onClosed(Connection* connection) = 0;
    virtual ~Handler() = default;
};

} // namespace Browse
} // namespace Kestrava
