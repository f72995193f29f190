// Real messages nobody here wrote (the email test data of Python's own test
// suite), each written back as read and fitted for a 7-bit receiver, then
// read again by Python's email: it must find the same parts, parameters and
// decoded contents in all three, and what fix() promises must hold.
#include "mime/capabilities.h"
#include "mime/object.h"
#include "tests/filter/support/python.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Kestrava::Mime;

namespace
{

std::vector<std::string> corpusFiles()
{
    std::vector<std::string> names;
    DIR* folder = opendir(KESTRAVA_MIME_CORPUS);
    if (folder == nullptr) return names;
    while (dirent* entry = readdir(folder))
    {
        std::string name = entry->d_name;
        if (name.compare(0, 4, "msg_") == 0) names.push_back(name);
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

std::string contents(const std::string& name)
{
    std::ifstream file(std::string(KESTRAVA_MIME_CORPUS "/") + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

/// What a reader finds: every part's type and parameters, the preamble and
/// epilogue of a multipart, the decoded content of a leaf. Line ends are
/// the transport's: CR LF and LF count the same.
const char* const pythonReading = R"(
import email, email.policy
def text(value):
    return repr(value.replace(b"\r\n", b"\n") if isinstance(value, bytes)
                else value.replace("\r\n", "\n"))
def params(part, name):
    field = part.get(name)
    return sorted(getattr(field, "params", {}).items()) if field is not None else None
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    lines = []
    for part in message.walk():
        lines.append(part.get_content_type() + " " + repr(params(part, "content-type")) +
                     " " + repr(params(part, "content-disposition")))
        if part.get_content_maintype() == "multipart":
            lines.append("  preamble " + text(part.preamble or "") +
                         " epilogue " + text(part.epilogue or ""))
        elif not part.is_multipart():
            lines.append("  " + text(part.get_payload(decode=True) or b""))
    return "\n".join(lines).encode(errors="backslashreplace")
)";

/// Why a 7-bit receiver would refuse the text as it stands, or "".
std::string sevenBitFault(const std::string& text)
{
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        unsigned char c = text[i];
        if (c >= 0x80) return "8-bit byte at " + std::to_string(i);
        bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if ((c == '\r' && !crlf) || (c == '\n' && (i == 0 || text[i - 1] != '\r')))
            return "bare line end at " + std::to_string(i);
        if (crlf)
        {
            if (i - lineStart > 998) return "line over 998 octets at " + std::to_string(lineStart);
            lineStart = i + 2;
        }
    }
    if (text.size() - lineStart > 998) return "line over 998 octets at the end";
    return "";
}

/// The first line in which two readings differ, or "".
std::string difference(const std::string& ours, const std::string& original)
{
    std::istringstream a(ours), b(original);
    std::string left, right;
    for (int line = 1;; ++line)
    {
        bool more = static_cast<bool>(std::getline(a, left));
        if (static_cast<bool>(std::getline(b, right)) != more) return "parts differ";
        if (!more) return "";
        if (left != right) return "line " + std::to_string(line) + ": " + left + "\n  read from the original: " + right;
    }
}

} // namespace

TEST(CorpusTest, RealMessagesReadTheSameWrittenBackAndFitted)
{
    std::vector<std::string> names = corpusFiles();
    ASSERT_GT(names.size(), 40u) << "no corpus in " KESTRAVA_MIME_CORPUS;
    std::vector<std::string> inputs;
    std::vector<bool> fitted;
    for (const std::string& name : names)
    {
        std::string text = contents(name);
        Object message(text.data(), text.size());
        inputs.push_back(text);
        inputs.push_back(message.str(true));
        Object fix(text.data(), text.size());
        fitted.push_back(fix.fix(Capabilities::standard()));
        inputs.push_back(fix.str(false));
    }
    std::vector<std::string> readings = Kestrava::Filter::Check::python(pythonReading, inputs);
    for (size_t i = 0; i < names.size(); ++i)
    {
        SCOPED_TRACE(names[i]);
        const std::string& original = readings[3 * i];
        EXPECT_EQ(difference(readings[3 * i + 1], original), "") << "written back";
        EXPECT_EQ(difference(readings[3 * i + 2], original), "") << "fitted";
        if (fitted[i]) EXPECT_EQ(sevenBitFault(inputs[3 * i + 2]), "");
    }
}
