#pragma once

// The methods of the connection class (10), all on channel 0.

#include "amqp/booleanset.h"
#include "amqp/detail/arguments.h"
#include "amqp/detail/incoming.h"
#include "amqp/frames/methodframe.h"
#include "amqp/numericfield.h"
#include "amqp/stringfield.h"
#include "amqp/table.h"

namespace AMQP
{

class ConnectionFrame : public MethodFrame
{
public:
    uint16_t classID() const override { return 10; }

protected:
    ConnectionFrame() : MethodFrame(0) {}
    using MethodFrame::MethodFrame;
};

/// The broker's opening: protocol version, server properties, mechanisms
/// and locales (received).
class ConnectionStartFrame final : public detail::Incoming<ConnectionStartFrame, ConnectionFrame>
{
public:
    explicit ConnectionStartFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 10; }

    uint8_t versionMajor() const { return _versionMajor.value(); }
    uint8_t versionMinor() const { return _versionMinor.value(); }
    const Table& serverProperties() const { return _serverProperties; }
    const std::string& mechanisms() const { return _mechanisms.value(); }
    const std::string& locales() const { return _locales.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_versionMajor, _versionMinor, _serverProperties, _mechanisms,
                              _locales);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _versionMajor, _versionMinor, _serverProperties, _mechanisms,
                        _locales);
    }

    UInt8 _versionMajor;
    UInt8 _versionMinor;
    Table _serverProperties;
    LongString _mechanisms;
    LongString _locales;
};

/// The client's answer to start: its properties and the login (sent).
class ConnectionStartOKFrame final : public ConnectionFrame
{
public:
    ConnectionStartOKFrame(const Table& clientProperties, const std::string& mechanism,
                           const std::string& response, const std::string& locale);
    explicit ConnectionStartOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 11; }
    bool partOfHandshake() const override { return true; }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_clientProperties, _mechanism, _response, _locale);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _clientProperties, _mechanism, _response, _locale);
    }

    Table _clientProperties;
    ShortString _mechanism;
    LongString _response;
    ShortString _locale;
};

/// A SASL challenge; the client offers only PLAIN, so none is expected.
class ConnectionSecureFrame final : public ConnectionFrame
{
public:
    explicit ConnectionSecureFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 20; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_challenge); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _challenge); }

    LongString _challenge;
};

/// The answer to a SASL challenge; never sent.
class ConnectionSecureOKFrame final : public ConnectionFrame
{
public:
    explicit ConnectionSecureOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 21; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_response); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _response); }

    LongString _response;
};

/// The broker's limits: channels, frame size and heartbeat (received).
class ConnectionTuneFrame final : public detail::Incoming<ConnectionTuneFrame, ConnectionFrame>
{
public:
    explicit ConnectionTuneFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 30; }

    uint16_t channelMax() const { return _channelMax.value(); }
    uint32_t frameMax() const { return _frameMax.value(); }
    uint16_t heartbeat() const { return _heartbeat.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_channelMax, _frameMax, _heartbeat);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _channelMax, _frameMax, _heartbeat);
    }

    UInt16 _channelMax;
    UInt32 _frameMax;
    UInt16 _heartbeat;
};

/// The limits the client accepts (sent).
class ConnectionTuneOKFrame final : public ConnectionFrame
{
public:
    ConnectionTuneOKFrame(uint16_t channelMax, uint32_t frameMax, uint16_t heartbeat);
    explicit ConnectionTuneOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 31; }
    bool partOfHandshake() const override { return true; }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_channelMax, _frameMax, _heartbeat);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _channelMax, _frameMax, _heartbeat);
    }

    UInt16 _channelMax;
    UInt32 _frameMax;
    UInt16 _heartbeat;
};

/// Opens the virtual host (sent).
class ConnectionOpenFrame final : public ConnectionFrame
{
public:
    explicit ConnectionOpenFrame(const std::string& vhost);
    explicit ConnectionOpenFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 40; }
    bool partOfHandshake() const override { return true; }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_vhost, _reserved1, _reserved2);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _vhost, _reserved1, _reserved2);
    }

    ShortString _vhost;
    ShortString _reserved1;
    BooleanSet _reserved2;
};

/// The virtual host is open: the connection is ready (received).
class ConnectionOpenOKFrame final : public detail::Incoming<ConnectionOpenOKFrame, ConnectionFrame>
{
public:
    explicit ConnectionOpenOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 41; }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reserved); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _reserved); }

    ShortString _reserved;
};

/// Closes the connection, from either side; the client sends code 0 and
/// "shutdown".
class ConnectionCloseFrame final : public detail::Incoming<ConnectionCloseFrame, ConnectionFrame>
{
public:
    ConnectionCloseFrame(uint16_t replyCode, const std::string& replyText, uint16_t failingClass,
                         uint16_t failingMethod);
    explicit ConnectionCloseFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 50; }
    bool partOfShutdown() const override { return true; }

    uint16_t replyCode() const { return _replyCode.value(); }
    const std::string& replyText() const { return _replyText.value(); }
    uint16_t failingClass() const { return _failingClass.value(); }
    uint16_t failingMethod() const { return _failingMethod.value(); }

private:
    uint32_t argumentsSize() const override
    {
        return detail::sizeOf(_replyCode, _replyText, _failingClass, _failingMethod);
    }
    void fillArguments(OutBuffer& buffer) const override
    {
        detail::fillAll(buffer, _replyCode, _replyText, _failingClass, _failingMethod);
    }

    UInt16 _replyCode;
    ShortString _replyText;
    UInt16 _failingClass;
    UInt16 _failingMethod;
};

/// Confirms a close, from either side.
class ConnectionCloseOKFrame final
    : public detail::Incoming<ConnectionCloseOKFrame, ConnectionFrame>
{
public:
    ConnectionCloseOKFrame() = default;
    explicit ConnectionCloseOKFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 51; }
    /// The answer to a broker's close must go out after our own close too.
    bool partOfShutdown() const override { return true; }

private:
    uint32_t argumentsSize() const override { return 0; }
    void fillArguments(OutBuffer&) const override {}
};

/// The broker stops reading from the connection for want of a resource
/// (memory, disk), with its reason (received; RabbitMQ's extension).
class ConnectionBlockedFrame final
    : public detail::Incoming<ConnectionBlockedFrame, ConnectionFrame>
{
public:
    explicit ConnectionBlockedFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 60; }

    const std::string& reason() const { return _reason.value(); }

private:
    uint32_t argumentsSize() const override { return detail::sizeOf(_reason); }
    void fillArguments(OutBuffer& buffer) const override { detail::fillAll(buffer, _reason); }

    ShortString _reason;
};

/// The broker reads from the connection again (received).
class ConnectionUnblockedFrame final
    : public detail::Incoming<ConnectionUnblockedFrame, ConnectionFrame>
{
public:
    explicit ConnectionUnblockedFrame(ReceivedFrame& frame);

    uint16_t methodID() const override { return 61; }

private:
    uint32_t argumentsSize() const override { return 0; }
    void fillArguments(OutBuffer&) const override {}
};

} // namespace AMQP
