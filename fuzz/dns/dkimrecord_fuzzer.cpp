// Feeds arbitrary bytes, as the data of a TXT answer, to the DKIM key-record
// parser and its collector.
#include "dns/message/response.h"
#include "dns/records/dkimrecords.h"

#include <cstdint>
#include <string>
#include <vector>

#include <arpa/nameser.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 0xffff - 64) return 0;
    // Header (one question, one answer), the question (root, TXT, IN) that
    // the record answers, then the record: root owner, TXT, IN, TTL, length.
    std::vector<unsigned char> message{0, 1,  0x81, 0x80, 0, 1, 0,  1, 0, 0, 0, 0, 0,
                                       0, 16, 0,    1,    0, 0, 16, 0, 1, 0, 0, 0, 60};
    message.push_back(static_cast<unsigned char>(size >> 8));
    message.push_back(static_cast<unsigned char>(size));
    message.insert(message.end(), data, data + size);
    DNS::Response response(message.data(), message.size());
    Kestrava::Dns::DkimRecords records;
    static_cast<DNS::Handler&>(records).onReceived(nullptr, response);
    for (const auto& record : records.records())
    {
        // Copies keep the whole text and every tag.
        Kestrava::Dns::DkimRecord copy = record;
        if (copy.text() != record.text() || copy.p() != record.p()) __builtin_trap();
    }
    return 0;
}
