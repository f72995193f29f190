// Cuts arbitrary bytes into header lines as the message parser does,
// skipping malformed ones by their size, and writes every line for a 7-bit
// and a UTF-8 receiver: only the line errors may leave the parser, and the
// written block must end every line with CR LF and read back as the same
// fields, its Subject decoded as the same text.

#include "filter/mimeheaderdecode.h"
#include "filter/string.h"
#include "fuzz/mime/support.h"
#include "mime/capabilities.h"
#include "mime/errors.h"
#include "mime/header.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{

using namespace Kestrava::Mime;

class FuzzedHeader : public Header
{
public:
    FuzzedHeader(const char* data, size_t size)
    {
        size_t position = 0;
        while (position < size)
        {
            try
            {
                _lines.emplace_back(data + position, size - position);
                position += _lines.back().size;
            }
            catch (const ParseError& error)
            {
                if (error.size == 0 || error.size > size - position) std::abort();
                position += error.size;
            }
            catch (const EmptyLine& empty)
            {
                if (empty.data != data + position || empty.size > size - position) std::abort();
                break;
            }
        }
    }
};

std::vector<std::string> names(const Header& header)
{
    std::vector<std::string> found;
    for (size_t i = 0; i < header.size(); ++i)
        found.push_back(header.line(i).key().copy());
    return found;
}

/// The Subject fields decoded, runs of blanks and tabs as one blank and
/// none at the ends (the decoder makes one blank of a run between words,
/// the writer keeps them); none where one holds a NUL, which the decoder
/// takes for white space and the writer keeps as a byte, or a charset the
/// decoder refuses, whose bytes the writer keeps as readers read them.
std::vector<std::string> subjects(const Header& header)
{
    std::vector<std::string> found;
    for (size_t i = 0; i < header.size(); ++i)
    {
        const Line& line = header.line(i);
        if (line.key() != "subject") continue;
        if (std::memchr(line.data, '\0', line.size) != nullptr) return {};
        std::string text;
        Kestrava::Filter::String sink(&text);
        try
        {
            Kestrava::Filter::MimeHeaderDecode decoder("utf-8", &sink);
            decoder.process(line.value().data, line.value().size, false);
            decoder.flush();
        }
        catch (const std::runtime_error&)
        {
            return {};
        }
        std::string single;
        for (char c : text)
        {
            bool blank = c == ' ' || c == '\t';
            if (!blank)
                single += c;
            else if (!single.empty() && single.back() != ' ')
                single += ' ';
        }
        if (!single.empty() && single.back() == ' ') single.pop_back();
        found.push_back(single);
    }
    return found;
}

void checkWritten(const Header& header, const Capabilities& capabilities)
{
    std::string text;
    Kestrava::Filter::String sink(&text);
    header.encode(capabilities, &sink, false);
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) std::abort();
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) std::abort();
    // Read again, the written block has the same fields: no line break of
    // a value became one between fields, or the reverse.
    FuzzedHeader again(text.data(), text.size());
    std::vector<std::string> read = subjects(header);
    if (names(again) != names(header) || (!read.empty() && subjects(again) != read))
    {
        std::fprintf(stderr, "written as: ");
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> copy = exactCopy(data, size);
    FuzzedHeader header(copy.get(), size);
    checkWritten(header, Capabilities::standard());
    checkWritten(header, Capabilities::utf8());
    header.valid();
    header.multipart();
    return 0;
}
