#pragma once

#include "dns/message/message.h"

namespace DNS
{

class Query;

/// A query read back as a message, to answer it (hosts) or compare with it.
class Request : public Message
{
public:
    /// Refers to the query's bytes: the query must outlive the request.
    explicit Request(const Query& query);
};

} // namespace DNS
