#pragma once

#include "dns/message/compressor.h"

#include <cstddef>

namespace DNS
{

class Ip;
class Question;
class Request;

/// An answer the resolver makes up itself (from the hosts table): NOERROR,
/// the request's id and question, and the answers appended to it.
class FakeResponse
{
public:
    /// Throws when the question's name does not fit.
    FakeResponse(const Request& request, const Question& question);
    FakeResponse(const FakeResponse&) = delete;
    FakeResponse& operator=(const FakeResponse&) = delete;

    /// Appends an A or AAAA record by the address's version; false, and
    /// nothing appended, when it does not fit.
    bool append(const char* name, const Ip& ip);
    /// Appends a PTR record; false, and nothing appended, when it does not fit.
    bool append(const char* name, const char* hostname);

    unsigned answers() const;
    const unsigned char* data() const { return _buffer; }
    size_t size() const { return _size; }

private:
    /// Writes an owner name and the fixed part of a record; null when they do not fit.
    unsigned char* record(const char* name, unsigned type, size_t fixed);

    unsigned char _buffer[4096];
    size_t _size = 12;
    Compressor _compressor{_buffer};
};

} // namespace DNS
