#include "amqp/connectionorder.h"

#include <cstring>

namespace AMQP
{

ConnectionOrder::ConnectionOrder(const char* text)
{
    if (text == nullptr) return;
    if (std::strcmp(text, "random") == 0)
        _order = Order::random;
    else if (std::strcmp(text, "ascending") == 0 || std::strcmp(text, "asc") == 0)
        _order = Order::ascending;
    else if (std::strcmp(text, "descending") == 0 || std::strcmp(text, "desc") == 0)
        _order = Order::descending;
}

} // namespace AMQP
