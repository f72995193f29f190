#pragma once

namespace DNS
{

class Ip;
class Tcp;

/// A lookup waiting for a TCP connection to a server. Each result is true
/// when the lookup has finished. Called from the Core's delivery, once per
/// subscription; the callee may destroy the Core, and with it the connection.
class Connector
{
public:
    /// The connection is up; the lookup may send on it.
    virtual bool onConnected(const Ip& server, Tcp* connection) = 0;
    /// The connection could not be made.
    virtual bool onFailure(const Ip& server) = 0;

protected:
    virtual ~Connector() = default;
};

} // namespace DNS
