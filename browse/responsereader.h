#pragma once

#include <cstddef>

namespace Kestrava
{
namespace Browse
{

class Header;

/**
 * Splits a byte stream into responses: parses each head and frames its body
 * (RFC 9112 section 6). It reads from contiguous runs handed to it and
 * needs no socket, so that any split of the stream gives the same reports.
 *
 * States: head → (interim 1xx: head again) → one of chunk size → chunk
 * data → chunk end → chunk size ... → trailer, counted, until close, or
 * none → complete → head. A malformed response, or close(), leads to
 * closed, which discards everything. So does a complete response that
 * leaves the stream unfit for another: bytes already behind it (nothing
 * was asked after it: requests are never pipelined), a 101, or framing
 * that a Transfer-Encoding took from a Content-Length or an HTTP/1.0 head.
 */
class ResponseReader
{
public:
    /// What a reader reports, in stream order. Any call may close() the
    /// reader; after onMalformed nothing more is reported.
    class Receiver
    {
    public:
        /// A parsed head, interim ones included; valid only during the call.
        /// An exception thrown here counts as a malformed response.
        virtual void onHead(const Header& header) = 0;
        /// A run of body bytes, valid only during the call.
        virtual void onBody(const char* data, size_t size) = 0;
        /// The response is complete; the reader expects the next head, or
        /// is closed when the stream can carry no other response.
        virtual void onEnd() = 0;
        /// The response cannot be framed; the reader is closed.
        virtual void onMalformed() = 0;

    protected:
        ~Receiver() = default;
    };

    /// The longest head, and the longest chunk-size or trailer line, taken.
    static constexpr size_t lineLimit = 256 * 1024;

    explicit ResponseReader(Receiver* receiver) : _receiver(receiver) {}
    virtual ~ResponseReader() = default;

    /// A request was written; `head` when its method is HEAD, so that the
    /// response has no body whatever its head says.
    void request(bool head) { _headRequest = head; }
    /// The secure flag handed to the heads.
    void secure(bool secure) { _secure = secure; }

    /// Reads from the `size` bytes at `data` (parsed heads are terminated in
    /// place) and returns how many were consumed. Fewer than `size` means
    /// that the rest is an incomplete line or head: hand it again, longer.
    /// `more`: further input already follows these bytes.
    size_t read(char* data, size_t size, bool more = false);

    /// The server's close ends the current body.
    bool endsWithClose() const { return _state == State::UntilClose; }
    /// Part of a body was read and the rest is awaited.
    bool midway() const { return _state >= State::ChunkSize && _state <= State::UntilClose; }
    /// Whether another request may follow on the stream.
    bool usable() const { return _state != State::UntilClose && _state != State::Closed; }

    /// Everything still to come is discarded.
    void close() { _state = State::Closed; }
    bool closed() const { return _state == State::Closed; }

private:
    enum class State
    {
        Head,
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailer,
        Counted,
        UntilClose,
        /// The response is complete; read() reports it.
        Complete,
        Closed
    };

    size_t readHead(char* data, size_t size);
    size_t readChunkSize(const char* data, size_t size);
    size_t readChunkEnd(const char* data, size_t size);
    size_t readTrailer(const char* data, size_t size);
    size_t readBody(const char* data, size_t size);

    /// How the body of a final response ends: a body state, none or
    /// malformed.
    enum class Framing
    {
        Chunked = static_cast<int>(State::ChunkSize),
        Counted = static_cast<int>(State::Counted),
        UntilClose = static_cast<int>(State::UntilClose),
        None,
        Malformed
    };
    Framing frame(const Header& header);
    /// The length of the line at `data` up to its LF, or -1 when it is not
    /// ended within `size` bytes (malformed past the line limit).
    size_t lineLength(const char* data, size_t size);
    /// Reports the complete response; `excess`: bytes follow it.
    void complete(bool excess);
    void malformed();

    Receiver* _receiver;
    State _state = State::Head;
    bool _headRequest = false;
    bool _secure = false;
    /// The current response is the last the stream carries.
    bool _last = false;
    /// Bytes left of the current chunk or counted body.
    size_t _remaining = 0;
    /// How far the current head was searched for its end already.
    size_t _searched = 0;
};

} // namespace Browse
} // namespace Kestrava
