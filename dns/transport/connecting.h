#pragma once

namespace DNS
{

class Connector;

/// The token of a connector waiting for a TCP connection, to withdraw it.
class Connecting
{
public:
    /// The connector is not told anything any more; the token is then invalid.
    virtual void unsubscribe(Connector* connector) = 0;

protected:
    virtual ~Connecting() = default;
};

} // namespace DNS
