#pragma once

#include "dns/records/dkimrecords.h"
#include "mime/dkim/keyname.h"

#include <map>
#include <set>
#include <string>

namespace Kestrava
{
namespace Dns
{
class Context;
}
namespace Mime
{

class ArcSignatures;
class DkimSignature;

/// The key records of every domain and selector that an ARC chain names,
/// each looked up once, all together, or the reason why it could not be.
class ArcPublicKeys
{
public:
    using Key = KeyName;

    class Error
    {
    public:
        std::string text;
        bool temporary = false;
    };

    /// Never throws for a failed lookup: it is recorded. Checks the
    /// signatures as their keys come and stops waiting once the verdict is
    /// known whatever the other keys would say: a signature fails for good,
    /// by its key or itself, and every one judged before it (see
    /// ArcStatus::judgingOrder()) is decided. Keys still unanswered are then
    /// in neither map. A chain that failed as read, or that one of its
    /// signatures fails whatever the keys say, makes no lookup.
    ArcPublicKeys(Dns::Context& context, const ArcSignatures& signatures);

    /// Records why the key could not be fetched; the first reason stays.
    void error(const char* domain, const char* selector, const char* text, bool temporary);

    std::map<Key, Dns::DkimRecords> fetched;
    std::map<Key, Error> failed;
    std::set<Key> pending;
    /// The signatures of the chain that verified while other keys were
    /// awaited: judging the chain need not verify them again.
    std::set<const DkimSignature*> passed;
};

} // namespace Mime
} // namespace Kestrava
