#pragma once

#include "amqp/login.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <strings.h>

namespace AMQP
{

/// A parsed AMQP address: amqp[s]://[user[:password]@]host[:port][/vhost][?name=value&...]
/// User name and password are percent-decoded ("%40" for '@') and written
/// back percent-encoded where needed to read back the same.
/// Only the scheme is checked; a bad host or port is left for the name
/// lookup to refuse.
class Address
{
public:
    /// Option names compare without regard to letter case.
    struct icasecmp
    {
        bool operator()(const std::string& a, const std::string& b) const
        {
            return strcasecmp(a.c_str(), b.c_str()) < 0;
        }
    };
    using Options = std::map<std::string, std::string, icasecmp>;

    /// Throws std::runtime_error when the text starts with neither
    /// "amqp://" nor "amqps://".
    Address(const char* data, size_t size);
    explicit Address(const std::string& text) : Address(text.data(), text.size()) {}

    bool secure() const { return _secure; }

    /// The login for the handshake: the address's user information, or
    /// plumo/plumo when it has none.
    Login login() const;

    const std::string& hostname() const { return _hostname; }
    uint16_t port() const { return _port; }
    const std::string& vhost() const { return _vhost; }
    const Options& options() const { return _options; }

    /// The value of an option, or null when there is none of that name.
    const char* option(const char* name) const;

    /// The value of an option as a number (text that is no number gives 0),
    /// or fallback when there is none of that name.
    int option(const char* name, int fallback) const;

    /// The string form: user information always written, and the port
    /// whenever it is not 5672, e.g. "amqp://:@host/" or "amqps://:@h:5671/".
    operator std::string() const;

private:
    friend std::ostream& operator<<(std::ostream& stream, const Address& address);

    /// Writes the text form; the stream form leaves out empty user
    /// information and the scheme's own port.
    void write(std::ostream& stream, bool alwaysUserInfo, uint16_t defaultPort) const;

    bool _secure = false;
    /// As written in the address: empty when it has no user information.
    Login _userInfo{"", ""};
    bool _hasUserInfo = false;
    std::string _hostname;
    uint16_t _port = 5672;
    std::string _vhost = "/";
    Options _options;
};

/// The stream form, as log lines show an address: "amqp://host/" for an
/// address without user information, password in full otherwise.
std::ostream& operator<<(std::ostream& stream, const Address& address);

} // namespace AMQP
