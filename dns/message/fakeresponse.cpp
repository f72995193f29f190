#include "dns/message/fakeresponse.h"

#include "dns/message/ip.h"
#include "dns/message/record.h"
#include "dns/message/request.h"

#include <cstring>
#include <stdexcept>

#include <arpa/nameser.h>

namespace DNS
{

FakeResponse::FakeResponse(const Request& request, const Question& question)
{
    memset(_buffer, 0, NS_HFIXEDSZ);
    ns_put16(request.id(), _buffer);
    // QR, opcode QUERY, RD as asked; RA and AD: the table is trusted data.
    _buffer[2] = static_cast<unsigned char>(0x80 | (request.recursiondesired() ? 0x01 : 0));
    _buffer[3] = 0x80 | 0x20;
    ns_put16(1, _buffer + 4);
    int space = static_cast<int>(sizeof _buffer - _size) - NS_QFIXEDSZ;
    int written = _compressor.add(question.name(), _buffer + _size, space);
    if (written < 0) throw std::runtime_error("failed domain name compression");
    _size += written;
    ns_put16(question.type(), _buffer + _size);
    ns_put16(ns_c_in, _buffer + _size + 2);
    _size += NS_QFIXEDSZ;
}

unsigned char* FakeResponse::record(const char* name, unsigned type, size_t fixed)
{
    int space = static_cast<int>(sizeof _buffer - _size - fixed);
    int written = _compressor.add(name, _buffer + _size, space);
    if (written < 0) return nullptr;
    unsigned char* position = _buffer + _size + written;
    ns_put16(type, position);
    ns_put16(ns_c_in, position + 2);
    ns_put32(0, position + 4);
    _size += written + NS_RRFIXEDSZ;
    ns_put16(answers() + 1, _buffer + 6);
    return position + 8;
}

bool FakeResponse::append(const char* name, const Ip& ip)
{
    size_t size = ip.size();
    unsigned char* length = record(name, size == 4 ? ns_t_a : ns_t_aaaa, NS_RRFIXEDSZ + size);
    if (!length) return false;
    ns_put16(static_cast<unsigned>(size), length);
    memcpy(length + 2, ip.data(), size);
    _size += size;
    return true;
}

bool FakeResponse::append(const char* name, const char* hostname)
{
    size_t before = _size;
    Compressor compressor = _compressor;
    unsigned char* length = record(name, ns_t_ptr, NS_RRFIXEDSZ);
    if (!length) return false;
    int written = _compressor.add(hostname, _buffer + _size, int(sizeof _buffer - _size));
    if (written < 0)
    {
        // Take the half-written record back out.
        _size = before;
        _compressor = compressor;
        ns_put16(answers() - 1, _buffer + 6);
        return false;
    }
    ns_put16(static_cast<unsigned>(written), length);
    _size += written;
    return true;
}

unsigned FakeResponse::answers() const
{
    return ns_get16(_buffer + 6);
}

} // namespace DNS
