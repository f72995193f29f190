#pragma once

#include <cstddef>
#include <vector>

namespace DNS
{

class Message;

/// The records of a message's answer section that answer its question: of
/// the question's type and class, and owned by the question's name or, when
/// that name is an alias, by the end of the CNAME chain that starts at it
/// (RFC 1034 3.6.2, 4.3.2). Whatever else a server put in the section
/// answers nothing. A chain of more than `maximumAliases` aliases, which a
/// loop always is, answers nothing either.
class Answers
{
public:
    static constexpr unsigned maximumAliases = 8;

    explicit Answers(const Message& message);

    /// Their indexes in the answer section, in order: `for (int index :
    /// Answers(response))`.
    std::vector<int>::const_iterator begin() const { return _indexes.begin(); }
    std::vector<int>::const_iterator end() const { return _indexes.end(); }
    bool empty() const { return _indexes.empty(); }

private:
    std::vector<int> _indexes;
};

} // namespace DNS
