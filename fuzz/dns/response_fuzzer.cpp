// Feeds arbitrary bytes to everything that reads a received DNS message.
#include "dns/message/answers.h"
#include "dns/message/bits.h"
#include "dns/message/canonicalizer.h"
#include "dns/message/decompressed.h"
#include "dns/message/extractor.h"
#include "dns/message/fakeresponse.h"
#include "dns/message/ip.h"
#include "dns/message/opt.h"
#include "dns/message/printable.h"
#include "dns/message/query.h"
#include "dns/message/record.h"
#include "dns/message/request.h"
#include "dns/message/response.h"
#include "dns/message/reverse.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <arpa/nameser.h>

namespace
{

void readRecord(const DNS::Response& response, ns_sect section, int index)
{
    DNS::Record record(response, section, index);
    (void)strlen(record.name());
    switch (record.type())
    {
    case ns_t_a:
    case ns_t_aaaa:
        (void)DNS::Printable(DNS::Ip(record)).size();
        break;
    case ns_t_ptr:
    case ns_t_cname:
    {
        DNS::Decompressed name(response.data(), response.data() + response.size(), record.data());
        (void)strlen(name);
        break;
    }
    case ns_t_opt:
        (void)DNS::OPT(record).rcode();
        break;
    default:
    {
        DNS::Canonicalizer canonical;
        DNS::Extractor(record, static_cast<ns_type>(record.type()), 0).rdata(canonical);
    }
    }
    // Any owner name may claim to be a reverse name.
    (void)DNS::Reverse(record.name()).ip();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DNS::Query query(ns_o_query, "www.example.org", ns_t_a, DNS::Bits());
    // Our own id, so that matching looks at the questions as well.
    std::vector<unsigned char> bytes(data, data + size);
    if (bytes.size() >= 2) memcpy(bytes.data(), query.data(), 2);
    try
    {
        DNS::Response response(bytes.data(), bytes.size());
        (void)response.rcode();
        (void)response.truncated();
        (void)query.matches(response);
        // Whatever the answer section holds, following its aliases ends.
        for (int index : DNS::Answers(response))
            (void)DNS::Answer(response, index);
        DNS::Response copy(response);
        for (ns_sect section : {ns_s_qd, ns_s_an, ns_s_ns, ns_s_ar})
        {
            (void)copy.records(section, ns_t_a, ns_c_in);
            for (unsigned i = 0; i < response.records(section) && i < 64; ++i)
            {
                try
                {
                    readRecord(response, section, static_cast<int>(i));
                }
                catch (const std::runtime_error&)
                {
                }
            }
        }
        if (response.questions() > 0)
        {
            DNS::Question question(response, 0);
            DNS::Request request(query);
            DNS::FakeResponse fake(request, question);
            fake.append(question.name(), DNS::Ip("192.0.2.1"));
            fake.append(question.name(), question.name());
            DNS::Response made(fake.data(), fake.size());
            (void)made.records(ns_s_an);
        }
    }
    catch (const std::runtime_error&)
    {
    }
    return 0;
}
