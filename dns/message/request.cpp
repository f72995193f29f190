#include "dns/message/request.h"

#include "dns/message/query.h"

namespace DNS
{

Request::Request(const Query& query) : Message(query.data(), query.size()) {}

} // namespace DNS
