#pragma once

#include "dns/records/dkimrecords.h"

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
/// each looked up once, blocking, or the reason why it could not be.
class ArcPublicKeys
{
public:
    class Key
    {
    public:
        Key(std::string domain, std::string selector)
            : domain(std::move(domain)), selector(std::move(selector))
        {
        }
        bool operator<(const Key& other) const
        {
            return domain != other.domain ? domain < other.domain : selector < other.selector;
        }
        std::string domain;
        std::string selector;
    };

    class Error
    {
    public:
        std::string text;
        bool temporary = false;
    };

    /// Never throws for a failed lookup: it is recorded.
    ArcPublicKeys(Dns::Context& context, const ArcSignatures& signatures);

    /// Records why the key could not be fetched; the first reason stays.
    void error(const char* domain, const char* selector, const char* text, bool temporary);

    std::map<Key, Dns::DkimRecords> fetched;
    std::map<Key, Error> failed;
    std::set<Key> pending;

private:
    void fetch(Dns::Context& context, const Key& key);
};

} // namespace Mime
} // namespace Kestrava
