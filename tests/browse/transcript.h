#pragma once

#include "browse/header.h"
#include "browse/responsereader.h"

#include <string>
#include <vector>

namespace Testing
{

/**
 * Records what a ResponseReader reports as text lines ("head 200", "body
 * ...", "end", "malformed"); body runs that follow each other are joined,
 * so that any split of a stream gives the same transcript.
 */
class Transcript : public Kestrava::Browse::ResponseReader::Receiver
{
public:
    std::vector<std::string> events;
    /// Whether anything was reported after onMalformed.
    bool reportedAfterMalformed = false;

    void onHead(const Kestrava::Browse::Header& header) override
    {
        add("head " + std::to_string(header.status()));
    }
    void onBody(const char* data, size_t size) override
    {
        if (malformed()) reportedAfterMalformed = true;
        if (!events.empty() && events.back().compare(0, 5, "body ") == 0)
            events.back().append(data, size);
        else
            events.push_back("body " + std::string(data, size));
    }
    void onEnd() override { add("end"); }
    void onMalformed() override { add("malformed"); }

private:
    bool malformed() const { return !events.empty() && events.back() == "malformed"; }
    void add(std::string event)
    {
        if (malformed()) reportedAfterMalformed = true;
        events.push_back(std::move(event));
    }
};

/// Hands a stream to a reader piece by piece the way a connection does:
/// what the reader leaves is handed again with the next piece behind it.
/// `more`: the next piece has arrived already (a stream received whole
/// and read in parts); otherwise it comes after whatever the reader
/// reported, as the answer to a request asked in between.
class Feeder
{
public:
    explicit Feeder(Kestrava::Browse::ResponseReader& reader) : _reader(reader) {}

    void feed(const char* data, size_t size, bool more = false)
    {
        _pending.append(data, size);
        if (_pending.empty()) return;
        _pending.erase(0, _reader.read(&_pending[0], _pending.size(), more));
    }
    void feed(const std::string& data, bool more = false) { feed(data.data(), data.size(), more); }

    /// Bytes the reader has not consumed yet.
    size_t pending() const { return _pending.size(); }

private:
    Kestrava::Browse::ResponseReader& _reader;
    std::string _pending;
};

} // namespace Testing
