// Reads arbitrary bytes as a response stream received at once, handed over
// whole and in pieces cut where the input says: the reports must be the
// same, and nothing may follow a malformed response.
#include "browse/responsereader.h"

#include "tests/browse/transcript.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> transcript(const std::string& stream, bool headRequest,
                                    const std::vector<size_t>& pieces)
{
    Testing::Transcript transcript;
    Kestrava::Browse::ResponseReader reader(&transcript);
    reader.request(headRequest);
    Testing::Feeder feeder(reader);
    size_t from = 0;
    for (size_t piece : pieces)
    {
        if (from >= stream.size()) break;
        // All of it received at once, whatever the pieces.
        feeder.feed(stream.substr(from, piece), from + piece < stream.size());
        from += piece;
    }
    if (from < stream.size()) feeder.feed(stream.substr(from));
    if (transcript.reportedAfterMalformed) abort();
    return transcript.events;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first byte: the HEAD flag and how many of the next bytes give the
    // piece lengths; the rest is the stream.
    if (size < 1) return 0;
    bool headRequest = (data[0] & 0x80) != 0;
    size_t cuts = std::min<size_t>(data[0] & 0x0f, size - 1);
    std::vector<size_t> pieces;
    for (size_t i = 0; i < cuts; ++i)
        pieces.push_back(data[1 + i] % 64 + 1);
    std::string stream(reinterpret_cast<const char*>(data) + 1 + cuts, size - 1 - cuts);
    if (transcript(stream, headRequest, {}) != transcript(stream, headRequest, pieces)) abort();
    return 0;
}
