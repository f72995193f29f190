#include "dns/message/query.h"

#include "dns/message/bits.h"
#include "dns/message/compressor.h"
#include "dns/message/decompressed.h"
#include "dns/message/idgenerator.h"
#include "dns/message/record.h"
#include "dns/message/response.h"
#include "dns/message/samename.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <arpa/nameser.h>

namespace DNS
{

namespace
{

// An OPT record with no options: root owner, type, class, TTL, length.
const size_t optSize = 11;

void increment(unsigned char* counter)
{
    ns_put16(ns_get16(counter) + 1, counter);
}

/// DNS names compare case-insensitively in ASCII only (RFC 4343).
unsigned char lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

/// Writes the name uncompressed; its length, or -1 when it does not fit or
/// is no valid name (an empty label, a label over 63 octets, a name over 255).
/// Names with escapes go through libresolv; plain ones, nearly all, are
/// written here by the same rules at a fraction of the cost.
int encode(const char* name, unsigned char* destination, int space)
{
    if (space <= 0) return -1;
    size_t room = std::min<size_t>(space, NS_MAXCDNAME);
    if (strchr(name, '\\'))
    {
        if (ns_name_pton(name, destination, room) < 0) return -1;
        int length = 0;
        while (destination[length] != 0)
            length += destination[length] + 1;
        return length + 1;
    }
    // The root, written "" or ".".
    if (name[0] == 0 || (name[0] == '.' && name[1] == 0))
    {
        destination[0] = 0;
        return 1;
    }
    size_t length = 0;
    for (const char* label = name;;)
    {
        const char* end = strchr(label, '.');
        size_t size = end ? size_t(end - label) : strlen(label);
        if (size == 0 || size > 63 || length + size + 2 > room) return -1;
        destination[length] = static_cast<unsigned char>(size);
        memcpy(destination + length + 1, label, size);
        length += size + 1;
        if (!end || end[1] == 0) break;
        label = end + 1;
    }
    destination[length] = 0;
    return static_cast<int>(length + 1);
}

} // namespace

Query::Query(int opcode, const char* name, int type, const Bits& bits, const unsigned char* data)
{
    memset(_buffer, 0, NS_HFIXEDSZ);
    _buffer[2] = static_cast<unsigned char>(((opcode & 0x0f) << 3) | 0x01);
    _buffer[3] = static_cast<unsigned char>((bits.AD() ? 0x20 : 0) | (bits.CD() ? 0x10 : 0));
    renumber();

    if (type < 0 || type > 65535) throw std::runtime_error("invalid type passed to dns query");
    if (opcode != ns_o_query && opcode != ns_o_notify)
        throw std::runtime_error("invalid dns operation");

    Compressor compressor(_buffer);
    const int space = static_cast<int>(sizeof _buffer);
    int room = space - int(_size) - NS_QFIXEDSZ;
    // The question comes first and has nothing to point to: only a name
    // that follows it (NOTIFY's) needs it remembered for compression.
    int written =
        data ? compressor.add(name, _buffer + _size, room) : encode(name, _buffer + _size, room);
    if (written < 0) throw std::runtime_error("failed domain name compression");
    _size += written;
    ns_put16(static_cast<unsigned>(type), _buffer + _size);
    ns_put16(ns_c_in, _buffer + _size + 2);
    _size += NS_QFIXEDSZ;
    _question = _size;
    ns_put16(1, _buffer + 4);

    if (opcode != ns_o_query && data)
    {
        written = compressor.add(reinterpret_cast<const char*>(data), _buffer + _size,
                                 space - int(_size) - NS_RRFIXEDSZ);
        if (written < 0) throw std::runtime_error("failed data name compression");
        _size += written;
        unsigned char* fixed = _buffer + _size;
        memset(fixed, 0, NS_RRFIXEDSZ);
        ns_put16(ns_t_null, fixed);
        ns_put16(ns_c_in, fixed + 2);
        _size += NS_RRFIXEDSZ;
        ns_put16(1, _buffer + 6);
    }

    // EDNS(0), RFC 6891 6.1.2: root owner, the payload size in the class
    // field, the DO bit in the flags.
    if (sizeof _buffer - _size >= optSize)
    {
        unsigned char* opt = _buffer + _size;
        memset(opt, 0, optSize);
        ns_put16(ns_t_opt, opt + 1);
        ns_put16(ednsPayload, opt + 3);
        ns_put16(bits.dnssec() ? NS_OPT_DNSSEC_OK : 0, opt + 7);
        _size += optSize;
        increment(_buffer + 10);
        _edns = true;
    }
}

void Query::removeEdns()
{
    if (!_edns) return;
    // The OPT record is the last one written.
    _size -= optSize;
    ns_put16(ns_get16(_buffer + 10) - 1, _buffer + 10);
    _edns = false;
    renumber();
}

void Query::renumber()
{
    // Stored as the machine holds the number: the value is random either way.
    unsigned short current, fresh;
    memcpy(&current, _buffer, sizeof current);
    do
        fresh = randomids.generate();
    while (fresh == current);
    memcpy(_buffer, &fresh, sizeof fresh);
}

unsigned short Query::id() const
{
    return static_cast<unsigned short>(ns_get16(_buffer));
}

int Query::opcode() const
{
    return (_buffer[2] >> 3) & 0x0f;
}

unsigned Query::questions() const
{
    return ns_get16(_buffer + 4);
}

bool Query::contains(const Question& question) const
{
    const unsigned char* end = _buffer + _size;
    const unsigned char* position = _buffer + NS_HFIXEDSZ;
    for (unsigned i = 0; i < questions(); ++i)
    {
        Decompressed name(_buffer, end, position);
        position += name.consumed();
        if (end - position < NS_QFIXEDSZ) return false;
        unsigned type = ns_get16(position);
        unsigned dnsclass = ns_get16(position + 2);
        position += NS_QFIXEDSZ;
        if (type == question.type() && dnsclass == question.dnsclass() &&
            samename(name, question.name()))
            return true;
    }
    return false;
}

bool Query::echoes(const Response& response) const
{
    // Our question is written uncompressed; an answer's first name cannot
    // point anywhere but into its header, so it is uncompressed too.
    const unsigned char* ours = _buffer + NS_HFIXEDSZ;
    const unsigned char* theirs = response.data() + NS_HFIXEDSZ;
    const unsigned char* end = response.data() + response.size();
    // Mostly the server echoes it byte for byte, letter case included.
    size_t question = _question - NS_HFIXEDSZ;
    if (size_t(end - theirs) >= question && memcmp(ours, theirs, question) == 0) return true;
    for (;;)
    {
        size_t label = *ours;
        if (label > 63 || end - theirs < ptrdiff_t(label + 1) || *theirs != label) return false;
        if (label == 0) break;
        for (size_t i = 1; i <= label; ++i)
            if (lower(ours[i]) != lower(theirs[i])) return false;
        ours += label + 1;
        theirs += label + 1;
    }
    return end - theirs >= 1 + NS_QFIXEDSZ && memcmp(ours + 1, theirs + 1, NS_QFIXEDSZ) == 0;
}

bool Query::refusesEdns(const Response& response) const
{
    // Servers that know no EDNS may answer with the header alone.
    return _edns && response.id() == id() && response.rcode() == ns_r_formerr &&
           (response.questions() == 0 || matches(response));
}

bool Query::matches(const Response& response) const
{
    return response.id() == id() && asks(response);
}

bool Query::asks(const Response& response) const
{
    try
    {
        if (response.opcode() == ns_o_update && opcode() == ns_o_update) return true;
        if (response.questions() != questions()) return false;
        // The usual case, without expanding and canonicalising both names.
        if (questions() == 1 && echoes(response)) return true;
        for (unsigned i = 0; i < response.questions(); ++i)
            if (!contains(Question(response, i))) return false;
        return true;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

} // namespace DNS
