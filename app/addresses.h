#pragma once

#include "amqp/address.h"

#include <string>
#include <vector>

/**
 * The broker addresses of `rabbitmq-address`, in the order given: the text
 * split at every ',' (pieces are not trimmed).
 */
class Addresses : public std::vector<AMQP::Address>
{
public:
    /// Throws std::runtime_error saying so when the list is empty or blank
    /// (no address configured), the address parser's for a piece that is no
    /// AMQP URL (an empty piece included), and one naming the piece by its
    /// place when an unescaped '/' or '?' may have cut a password short.
    explicit Addresses(const std::string& list);
    virtual ~Addresses() = default;
};

/// The address as log lines write it (user information only when there is
/// some), with the password masked: log files outlive the secret.
std::string written(const AMQP::Address& address);

/// The same for the text form (user information always, the port whenever it
/// is not 5672).
std::string text(const AMQP::Address& address);
