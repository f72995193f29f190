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

    /// Never throws for a failed lookup: it is recorded. Stops waiting once
    /// a key has failed for good, since the chain then fails whatever the
    /// others say; the keys still unanswered are in neither map.
    ArcPublicKeys(Dns::Context& context, const ArcSignatures& signatures);

    /// Records why the key could not be fetched; the first reason stays.
    void error(const char* domain, const char* selector, const char* text, bool temporary);

    std::map<Key, Dns::DkimRecords> fetched;
    std::map<Key, Error> failed;
    std::set<Key> pending;
};

} // namespace Mime
} // namespace Kestrava
