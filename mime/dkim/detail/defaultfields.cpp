#include "mime/dkim/detail/defaultfields.h"

#include "mime/key.h"

namespace Kestrava
{
namespace Mime
{
namespace detail
{

namespace
{

// clang-format off
const char* const defaultNames[] = {
    "from", "sender", "reply-to", "subject", "date", "message-id", "to", "cc",
    "mime-version", "content-type", "content-transfer-encoding", "content-id",
    "content-description", "resent-date", "resent-from", "resent-sender", "resent-to",
    "resent-cc", "resent-message-id", "in-reply-to", "references", "list-id", "list-help",
    "list-unsubscribe", "list-subscribe", "list-post", "list-owner", "list-archive"};
// clang-format on

} // namespace

bool signedByDefault(const Key& name)
{
    for (const char* candidate : defaultNames)
        if (name == candidate) return true;
    return false;
}

} // namespace detail
} // namespace Mime
} // namespace Kestrava
