#pragma once

#include <string>

namespace AMQP
{

/// User name and password for the broker.
class Login
{
public:
    Login(std::string user, std::string password)
        : _user(std::move(user)), _password(std::move(password))
    {
    }

    const std::string& user() const { return _user; }
    const std::string& password() const { return _password; }

    /// The SASL PLAIN response (RFC 4616) with an empty authorisation
    /// identity: "\0user\0password".
    std::string saslPlain() const;

private:
    std::string _user;
    std::string _password;
};

} // namespace AMQP
