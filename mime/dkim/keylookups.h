#pragma once

#include "dns/records/dkimrecords.h"
#include "mime/dkim/detail/sharedwork.h"
#include "mime/dkim/keyname.h"

#include <functional>
#include <map>
#include <set>

namespace Kestrava
{
namespace Dns
{
class Context;
}
namespace Mime
{

class DkimSignature;

namespace detail
{

/// Adds the key name of the signature, unless it lacks d= or s=.
void addKeyName(std::set<KeyName>& names, const DkimSignature& signature);

/**
 * The key records of several selectors, looked up together on one private
 * loop: a silent name server costs one time-out for all of them. Every
 * name ends in one of the two maps, unless the caller had enough first.
 */
class KeyLookups
{
public:
    enum class Failure
    {
        /// A time-out, a server that failed or refused, an answer that
        /// stayed truncated, unreadable resolver files.
        temporary,
        /// No such name, no key record, a name DNS cannot carry.
        permanent,
        /// Anything else, such as a domain that does not convert.
        other,
    };

    /// `enough`, asked after each outcome with the maps filled so far, may
    /// stop the waiting: the names still being looked up are then in
    /// neither map.
    KeyLookups(const Dns::Context& context, const std::set<KeyName>& names,
               const std::function<bool(const KeyLookups&)>& enough = nullptr);

    std::map<KeyName, Dns::DkimRecords> fetched;
    std::map<KeyName, Failure> failed;
    /// For the signatures of one message verified with these keys.
    mutable SharedWork shared;

private:
    void fail(const KeyName& name, Failure failure);
    /// Fails every name that is in neither map yet.
    void failRest(const std::set<KeyName>& names, Failure failure);
    /// Moves the name's finished answer to `fetched`, or to `failed`
    /// unless it holds keys.
    void settle(const KeyName& name);

    /// The answers still being collected.
    std::map<KeyName, Dns::DkimRecords> _running;
};

} // namespace detail
} // namespace Mime
} // namespace Kestrava
