#pragma once

namespace AMQP
{

/// The order in which the addresses a broker's name resolves to are tried,
/// from the "connectionOrder" option of an address.
class ConnectionOrder
{
public:
    enum class Order
    {
        standard, ///< as the resolver gives them
        random,
        ascending,
        descending
    };

    /// "random", "ascending" or "asc", "descending" or "desc" (exactly, case
    /// included); anything else, null too, gives the resolver's order.
    explicit ConnectionOrder(const char* text);

    Order order() const { return _order; }

private:
    Order _order = Order::standard;
};

} // namespace AMQP
