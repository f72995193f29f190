#include "tests/mime/support/readings.h"

#include "filter/mimeheaderdecode.h"
#include "filter/string.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contenttype.h"
#include "mime/fields/mailboxes.h"
#include "mime/object.h"
#include "tests/filter/support/python.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>
#include <utility>

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

const char* const pythonPartReading = R"(
import email, email.policy
def text(value):
    if isinstance(value, str):
        value = value.encode("utf-8", "surrogateescape")
    return (value or b"").replace(b"\r\n", b"\n").replace(b"\r", b"\n").hex()
def params(part, name):
    field = part.get(name)
    items = sorted((k.lower(), v) for k, v in getattr(field, "params", {}).items())
    return " ".join(k + "=" + text(v) for k, v in items)
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    sender = message.get("from")
    names = ",".join(a.display_name for a in sender.addresses) if sender is not None else ""
    lines = ["subject " + text(str(message.get("subject") or "")) + " from " + text(names)]
    for part in message.walk():
        line = "type " + params(part, "content-type") + " disposition " + \
               params(part, "content-disposition")
        if part.is_multipart():
            line += " preamble " + text(part.preamble) + " epilogue " + text(part.epilogue)
        else:
            line += " content " + text(part.get_payload(decode=True))
        lines.append(line)
    return "\n".join(lines).encode()
)";

/// The bytes in hex, their line ends made LF.
std::string hexText(const char* data, size_t size)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i)
    {
        unsigned char c = data[i];
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
        if (c == '\r') c = '\n';
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

std::string hexText(const std::string& text)
{
    return hexText(text.data(), text.size());
}

/// The parameters of the field as Python's line shows them.
template <typename Field, typename... Flags>
std::string ourParams(const Mime::Object& part, const char* name, Flags... flags)
{
    const Mime::Value& value = part.header.get(name);
    if (value.size == 0) return "";
    std::vector<std::pair<std::string, std::string>> items;
    try
    {
        Field field(value.data, value.size, flags...);
        for (const auto& param : field.params().all())
        {
            std::string key = param->name();
            std::transform(key.begin(), key.end(), key.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            items.emplace_back(key, hexText(param->value().text()));
        }
    }
    catch (const std::runtime_error&)
    {
        return "";
    }
    std::sort(items.begin(), items.end());
    std::string text;
    for (const auto& item : items)
        text += (text.empty() ? "" : " ") + item.first + "=" + item.second;
    return text;
}

void readPart(const Mime::Object& part, std::string& lines)
{
    if (!lines.empty()) lines += "\n";
    lines += "type " + ourParams<Mime::ContentType>(part, "content-type", false) + " disposition " +
             ourParams<Mime::ContentDisposition>(part, "content-disposition");
    const Mime::Body& body = part.body;
    if (body.multipart())
    {
        lines += " preamble " + hexText(body.preamble().data, body.preamble().size) + " epilogue " +
                 hexText(body.epilogue().data, body.epilogue().size);
        for (const Mime::Object& inner : body)
            readPart(inner, lines);
        return;
    }
    std::string content;
    Filter::String sink(&content);
    body.decode(&sink);
    lines += " content " + hexText(content);
}

/// The message's Subject and the display names of its From, as Python's
/// line shows them.
std::string readHeader(const Mime::Object& message)
{
    std::string subject;
    Filter::String sink(&subject);
    const Mime::Value& text = message.header.get("subject");
    Filter::MimeHeaderDecode decoder("utf-8", &sink);
    decoder.process(text.data, text.size, false);
    decoder.flush();
    std::string names;
    const Mime::Value& from = message.header.get("from");
    Mime::Mailboxes mailboxes(from.data, from.size, false);
    for (const auto& mailbox : mailboxes.mailboxes())
        names += (names.empty() ? "" : ",") + mailbox->name().text();
    return "subject " + hexText(subject) + " from " + hexText(names);
}

} // namespace

std::string ourReading(const Mime::Object& message)
{
    std::string lines = readHeader(message);
    readPart(message, lines);
    return lines;
}

std::vector<std::string> pythonPartReadings(const std::vector<std::string>& messages,
                                            bool rfcQuotedPrintable)
{
    std::string script = pythonPartReading;
    if (rfcQuotedPrintable) script += "import quopri\nquopri.a2b_qp = None\n";
    return Filter::Check::python(script, messages);
}

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
