#include "tests/mime/support/readings.h"

#include "tests/filter/support/python.h"

#include <sstream>

namespace Kestrava
{
namespace Test
{

namespace
{

const char* const pythonReading = R"(
import email, email.policy
def text(value):
    if isinstance(value, str):
        value = value.encode(errors="surrogateescape")
    return repr(value.replace(b"\r\n", b"\n").replace(b"\r", b"\n"))
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

const char* const pythonLabels = R"(
import email, email.policy
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    return "".join(part.get_content_type() + " " + str(part["content-transfer-encoding"]) + "\n"
                   for part in message.walk()
                   if part.get_content_maintype() in ("multipart", "message")
                   and part.get("content-transfer-encoding", "").strip().lower()
                   in ("8bit", "binary")
                   ).encode(errors="backslashreplace")
)";

} // namespace

std::vector<std::string> pythonReadings(const std::vector<std::string>& messages)
{
    return Filter::Check::python(pythonReading, messages);
}

std::vector<std::string> pythonCompositeLabels(const std::vector<std::string>& messages)
{
    return Filter::Check::python(pythonLabels, messages);
}

std::string readingDifference(const std::string& ours, const std::string& original)
{
    std::istringstream left(ours), right(original);
    std::string a, b;
    for (int line = 1;; ++line)
    {
        bool more = static_cast<bool>(std::getline(left, a));
        if (static_cast<bool>(std::getline(right, b)) != more) return "the parts differ";
        if (!more) return "";
        if (a != b) return "line " + std::to_string(line) + ": " + a + "\n  originally: " + b;
    }
}

std::string sevenBitFault(const std::string& text)
{
    size_t lineStart = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        unsigned char c = text[i];
        if (c >= 0x80) return "8-bit byte at " + std::to_string(i);
        if (c == 0) return "NUL at " + std::to_string(i);
        bool crlf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if ((c == '\r' && !crlf) || (c == '\n' && (i == 0 || text[i - 1] != '\r')))
            return "bare line end at " + std::to_string(i);
        if (!crlf) continue;
        if (i - lineStart > 998) return "line over 998 octets at " + std::to_string(lineStart);
        lineStart = i + 2;
    }
    if (text.size() - lineStart > 998) return "line over 998 octets at the end";
    return "";
}

} // namespace Test
} // namespace Kestrava
