#pragma once

namespace AMQP
{

/// The type of an exchange to declare. A value outside the list is sent as
/// an empty type name, which the broker refuses.
enum ExchangeType
{
    fanout = 0,
    direct = 1,
    topic = 2,
    headers = 3,
    consistent_hash = 4,       ///< "x-consistent-hash"
    message_deduplication = 5, ///< "x-message-deduplication"
};

} // namespace AMQP
