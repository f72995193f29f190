#pragma once

#include "dns/message/answers.h"
#include "dns/message/message.h"

namespace DNS
{

/// Whether an answer settles that its question's name has no record of the
/// asked type: NXDOMAIN, or a whole NOERROR answer without one (see
/// Answers). A search goes on to its next name only then: a server's
/// failure (SERVFAIL, REFUSED, NOTIMP...) or an answer that stayed
/// truncated says nothing of this name, and the next one may be another
/// host's.
inline bool absent(const Message& answer)
{
    const int rcode = answer.rcode();
    return rcode == ns_r_nxdomain ||
           (rcode == ns_r_noerror && !answer.truncated() && Answers(answer).empty());
}

} // namespace DNS
