#pragma once

#include <cstddef>

namespace DNS
{

class Bits;
class Question;
class Response;

/// One complete query message in wire format, in a fixed buffer. Carries an
/// EDNS OPT record advertising 1200 bytes whenever it fits, a random id and
/// recursion desired.
class Query
{
public:
    /// opcode 0 (QUERY) or 4 (NOTIFY); data, for NOTIFY only, names a NULL
    /// record added to the answer section.
    Query(int opcode, const char* name, int type, const Bits& bits,
          const unsigned char* data = nullptr);

    /// The UDP payload size advertised in the OPT record: no answer over UDP
    /// is larger, so it is also the size the UDP sockets read.
    static constexpr unsigned ednsPayload = 1200;

    /// The id as the answer carries it.
    unsigned short id() const;
    int opcode() const;
    unsigned questions() const;
    const unsigned char* data() const { return _buffer; }
    size_t size() const { return _size; }

    /// Takes the OPT record out, for a server that does not know EDNS
    /// (RFC 6891 7), and gives the query a new id: answers to the query as
    /// it was are then told from answers to the query as it is.
    void removeEdns();

    /// Whether a response answers this query: the same id and the same
    /// questions (names compared case-insensitively). Never throws.
    bool matches(const Response& response) const;
    /// Whether the response is to this query's questions, whatever its id.
    /// Never throws.
    bool asks(const Response& response) const;
    /// Whether the response is a FORMERR to this query's OPT record: the
    /// same id, from a server that may not even echo the question.
    bool refusesEdns(const Response& response) const;
    /// Whether this query asks the question (name, type and class).
    bool contains(const Question& question) const;

private:
    /// Draws a random id other than the one the query has (none: 0).
    void renumber();
    /// Whether the response's only question is byte for byte ours, letter
    /// case aside; false also when that cannot be told so simply.
    bool echoes(const Response& response) const;

    unsigned char _buffer[272];
    size_t _size = 12;
    // Where the question ends.
    size_t _question = 12;
    bool _edns = false;
};

} // namespace DNS
