#include "dns/message/answers.h"

#include "dns/message/decompressed.h"
#include "dns/message/message.h"
#include "dns/message/record.h"
#include "dns/message/samename.h"

#include <stdexcept>
#include <string>
#include <utility>

#include <arpa/nameser.h>

namespace DNS
{

namespace
{

/// The aliases of the answer section: owner and target of each CNAME record.
std::vector<std::pair<std::string, std::string>> aliasesOf(const Message& message,
                                                           unsigned dnsclass)
{
    std::vector<std::pair<std::string, std::string>> aliases;
    const unsigned char* end = message.data() + message.size();
    try
    {
        for (unsigned i = 0; i < message.records(ns_s_an); ++i)
        {
            Answer record(message, static_cast<int>(i));
            if (record.type() != ns_t_cname || record.dnsclass() != dnsclass) continue;
            aliases.emplace_back(record.name(),
                                 Decompressed(message.data(), end, record.data()).name());
        }
    }
    catch (const std::runtime_error&)
    {
        // A record that does not parse ends the section.
    }
    return aliases;
}

/// The end of the chain of aliases that starts at the name; false when it
/// is too long (or a loop).
bool follow(const std::vector<std::pair<std::string, std::string>>& aliases, std::string& name)
{
    for (unsigned followed = 0;; ++followed)
    {
        auto alias = aliases.begin();
        while (alias != aliases.end() && !samename(alias->first.c_str(), name.c_str()))
            ++alias;
        if (alias == aliases.end()) return true;
        if (followed == Answers::maximumAliases) return false;
        name = alias->second;
    }
}

} // namespace

Answers::Answers(const Message& message)
{
    try
    {
        if (message.questions() == 0) return;
        Question question(message, 0);
        const unsigned type = question.type();
        const std::string asked = question.name();
        std::string end = asked;
        // A question for the aliases themselves, or for anything, has no chain to follow.
        if (type != ns_t_cname && type != ns_t_any &&
            !follow(aliasesOf(message, question.dnsclass()), end))
            return;
        for (unsigned i = 0; i < message.records(ns_s_an); ++i)
        {
            Answer record(message, static_cast<int>(i));
            if ((record.type() == type || type == ns_t_any) &&
                record.dnsclass() == question.dnsclass() &&
                (samename(record.name(), asked.c_str()) || samename(record.name(), end.c_str())))
                _indexes.push_back(static_cast<int>(i));
        }
    }
    catch (const std::runtime_error&)
    {
        // A question that does not parse asks nothing; a record that does
        // not parse ends the section, what came before counts.
    }
}

} // namespace DNS
