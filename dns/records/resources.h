#pragma once

#include "dns/handler.h"
#include "dns/message/answers.h"
#include "dns/message/response.h"

#include <vector>

namespace Kestrava
{
namespace Dns
{

/// The handler of one lookup that collects the records answering its
/// question (see DNS::Answers) as records of class `RecordType` (made from a
/// message and an answer index). Answers that do not make such a record are
/// skipped. Filled by exactly
/// one lookup, then read.
template <typename RecordType, int type> class Resources : public DNS::Handler
{
public:
    void onResolved(const DNS::Operation*, const DNS::Response& response) override
    {
        // Only what answers the question: records of other names are nobody's word for it.
        for (int index : DNS::Answers(response))
        {
            try
            {
                _records.emplace_back(&response.handle(), index);
            }
            catch (...)
            {
                // Another type, a malformed record or one of another kind.
            }
        }
    }
    void onFailure(const DNS::Operation*, int rcode) override { _rcode = rcode; }
    void onTimeout(const DNS::Operation*) override { _timedout = true; }

    /// The records in answer order.
    const std::vector<RecordType>& records() const { return _records; }
    /// Whether no answer came in time.
    bool timedout() const { return _timedout; }
    /// The response code of a failed answer; 0 when none failed.
    int rcode() const { return _rcode; }

private:
    std::vector<RecordType> _records;
    bool _timedout = false;
    int _rcode = 0;
};

} // namespace Dns
} // namespace Kestrava
