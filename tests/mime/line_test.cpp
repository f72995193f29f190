#include "mime/line.h"

#include "mime/capabilities.h"
#include "filter/string.h"
#include "mime/errors.h"
#include "mime/fields/contentdisposition.h"
#include "mime/fields/contenttype.h"
#include "mime/fields/fieldgrammar.h"
#include "mime/fields/mailboxes.h"
#include "mime/fields/targets.h"
#include "mime/header.h"
#include "mime/object.h"
#include "filter/mimeheaderdecode.h"
#include "tests/filter/support/python.h"
#include "tests/support/failure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace
{

using Testing::failureOf;

/// Lines view their text: literals outlive them.
Line line(const char* text)
{
    return Line(text, std::strlen(text));
}

std::string written(const Line& field, const Capabilities& capabilities)
{
    std::string text;
    Filter::String sink(&text);
    size_t count = field.encode(capabilities, &sink, false);
    EXPECT_EQ(count, text.size());
    return text;
}

TEST(LineTest, ALineTakesItsFoldedValueAndItsBreak)
{
    const char* text = "Subject: hi\r\n\r\nbody";
    Line subject = line(text);
    EXPECT_EQ(subject.key().copy(), "Subject");
    EXPECT_EQ(subject.key().valueStart, 9u);
    EXPECT_EQ(subject.value().copy(), "hi");
    EXPECT_EQ(subject.value().consumed, 4u);
    EXPECT_EQ(subject.size, 13u);
    try
    {
        Line(text + 13, 6);
        ADD_FAILURE() << "no empty line";
    }
    catch (const EmptyLine& empty)
    {
        EXPECT_EQ(empty.size, 2u);
        EXPECT_EQ(empty.data, text + 13);
    }

    Line folded = line("Subject: a\r\n b  \r\nX: y");
    EXPECT_EQ(folded.value().copy(), "a\r\n b");
    EXPECT_EQ(folded.size, 18u);
    EXPECT_EQ(line("Subject:\r\nX: y").value().size, 0u);
    EXPECT_EQ(line("X:y").value().copy(), "y");
}

TEST(LineTest, NamesWithoutAColonAreRefused)
{
    auto sizeOf = [](const char* text) -> size_t
    {
        try
        {
            line(text);
        }
        catch (const ParseError& error)
        {
            return error.size;
        }
        return 0;
    };
    EXPECT_EQ(failureOf<ParseError>([] { line("Bad Name: x"); }),
              "Key cannot be retrieved (no colon)");
    EXPECT_EQ(sizeOf("Bad Name: x"), 11u);
    EXPECT_EQ(failureOf<ParseError>([] { line("NoColon\nNext: y"); }), "Missing colon");
    EXPECT_EQ(sizeOf("NoColon\nNext: y"), 8u);
    EXPECT_EQ(failureOf<ParseError>([] { line(" Lead: x"); }),
              "Key cannot be retrieved (no colon)");
    EXPECT_EQ(failureOf<EmptyLine>([] { line("\n"); }), "Empty line");
}

TEST(LineTest, BlanksBeforeTheColonStayWithTheName)
{
    Line spaced = line("Subject \t: x\r\n");
    EXPECT_EQ(spaced.key().copy(), "Subject");
    EXPECT_EQ(spaced.value().copy(), "x");
    EXPECT_EQ(written(spaced, Capabilities::standard()), "Subject \t: x\r\n");
}

TEST(LineTest, AsciiLinesAreWrittenRawWithCrLf)
{
    EXPECT_EQ(written(line("Subject:   hi\n"), Capabilities::standard()), "Subject:   hi\r\n");
    EXPECT_EQ(written(line("X-A: a\r b\n"), Capabilities::standard()), "X-A: a\r\n b\r\n");
    EXPECT_EQ(written(line("To: a\n\tb\n"), Capabilities::utf8()), "To: a\r\n\tb\r\n");
    // The last line of a text may lack its break.
    EXPECT_EQ(written(line("Subject: hi"), Capabilities::standard()), "Subject: hi\r\n");
}

TEST(LineTest, NonAsciiSubjectsAreEncodedForSevenBitReceivers)
{
    Line subject = line("Subject: caf\xC3\xA9");
    EXPECT_EQ(written(subject, Capabilities::standard()), "Subject: =?utf-8?q?caf=C3=A9?=\r\n");
    EXPECT_EQ(written(subject, Capabilities::utf8()), "Subject: caf\xC3\xA9\r\n");
    Line custom = line("X-Note: =?iso-8859-1?q?caf=E9?= cr\xC3\xA8me");
    EXPECT_EQ(written(custom, Capabilities::standard()),
              "X-Note: =?utf-8?q?caf=C3=A9_cr=C3=A8me?=\r\n");
    // Words in an unknown charset give their bytes, as Python reads them.
    EXPECT_EQ(written(line("Subject: =?x-none?q?a?= \xC3\xA9"), Capabilities::standard()),
              "Subject: a =?utf-8?q?=C3=A9?=\r\n");
}

TEST(LineTest, NarrowReceiversGetFoldedLines)
{
    Capabilities narrow(false, false, Filter::BufferSize(998, 20));
    EXPECT_EQ(written(line("Comments: one two three four five\r\n"), narrow),
              "Comments: one two\r\n three four five\r\n");
    Capabilities rewrite(true, true, Filter::BufferSize(998, 78));
    EXPECT_EQ(written(line("Comments:   a    b\r\n"), rewrite), "Comments:   a b\r\n");
}

TEST(LineTest, CopiesKeepTheirOwnKey)
{
    Line original = line("Subject: one");
    Line copy = original;
    copy = line("X-Other: two");
    EXPECT_EQ(copy.value().key, &copy.key());
    EXPECT_EQ(copy.value().key->copy(), "X-Other");
    Line again(original);
    EXPECT_EQ(again.value().key, &again.key());
    EXPECT_TRUE(again.valid());
}

/// How a reader takes a field: the parameters of a content field, the
/// mailboxes of an address field, the decoded text of any other.
std::string readField(const Key& name, const Value& value)
{
    std::string text;
    if (name == "content-type" || name == "content-disposition")
    {
        Params params = name == "content-type"
                            ? ContentType(value.data, value.size, false).params()
                            : ContentDisposition(value.data, value.size).params();
        std::vector<std::string> entries;
        for (const auto& param : params.all())
            entries.push_back(param->name() + "=" + param->value().text());
        std::sort(entries.begin(), entries.end());
        for (const std::string& entry : entries)
            text += entry + "|";
        return text;
    }
    if (name == "from") return Mailboxes(value.data, value.size, true).str(true);
    if (name == "to") return Targets(value.data, value.size, true).str(true);
    Filter::String sink(&text);
    Filter::MimeHeaderDecode decoder("utf-8", &sink);
    decoder.process(value.data, value.size, false);
    decoder.flush();
    return text;
}

/// The fields as Python's email reads them (U+FFFD for bytes that are not
/// UTF-8), then the decoded leaves.
const char* const pythonFields = R"(
import email, email.policy
def apply(data):
    message = email.message_from_bytes(data, policy=email.policy.default)
    out = []
    for name, value in message.items():
        if name.lower() == 'content-transfer-encoding': continue
        if hasattr(value, 'params'):
            value = getattr(value, 'content_type', '') + repr(sorted(value.params.items()))
        out.append(name.lower() + ': ' + str(value))
    for part in message.walk():
        if not part.is_multipart(): out.append(repr(part.get_payload(decode=True)))
    return '\n'.join(out).encode()
)";

/// The header of a message is 7-bit with lines of at most 998 octets.
void expectSevenBitHeader(const std::string& message)
{
    std::string text = message.substr(0, message.find("\r\n\r\n") + 2);
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        EXPECT_LE(end - start, 998u) << text;
    for (unsigned char c : text)
        ASSERT_LT(c, 0x80) << text;
}

TEST(LineTest, RewrittenFieldsKeepEveryParameterAndByte)
{
    const std::string part = "Content-Type: text/plain; charset=utf-8\r\n\r\nK\xC3\xB6ln\r\n";
    struct Case
    {
        std::string field;
        /// The delimiter of a multipart body, empty for a text body.
        std::string delimiter;
        /// What every rewrite of the field holds.
        std::string holds;
        /// Whether Python reads the field as we do: it cuts a bare value at
        /// an "=", where other readers go on.
        bool asPython = true;
        /// Whether fix() can make the message fit: an unsplit multipart's
        /// 8-bit body cannot be encoded.
        bool fits = true;
    };
    const std::vector<Case> cases = {
        {"Content-Type: multipart/mixed; boundary = \"b\"", "--b", ""},
        {"Content-Type: multipart/mixed; boundary= \"b\"", "--b", ""},
        {"Content-Type: multipart/mixed;\r\n boundary=\r\n \"b\"", "--b", ""},
        {"Content-Type: multipart/mixed; boundary=----=_Part_1", "------=_Part_1", "", false},
        {"Content-Type: multipart/mixed; boundary=b (\xC3\xA4); x=1", "--b", ""},
        {"Content-Disposition: attachment; filename = a.pdf; x=\"\xC3\xA4\"", "", ""},
        {"Content-Disposition: attachment; filename= \"Gr\xC3\xBC\xC3\x9F"
         "e.pdf\"; size=100",
         "", ""},
        {"Content-Disposition: attachment; filename=My Document.pdf; x=\"\xC3\xA4\"", "",
         "filename=My Document.pdf;"},
        {"Content-Disposition: attachment; filename=a=b.pdf; x=\"\xC3\xA4\"", "", "", false},
        {"Content-Type: text/plain; name=\"\"; x=\"\xC3\xA4\"", "", "name=\"\";"},
        {"Content-Type: text/plain; charset=utf-8 (Kommentar \xC3\xA4); name=\"a  b\"", "",
         "(Kommentar =?utf-8?q?=C3=A4?=)"},
        {"Content-Type: text/plain; comment=\"Gr\xC3\xBC\xC3\x9F"
         "e\"",
         "", ""},
        // No boundary: the grammar refuses the type, not its parameters.
        {"Content-Type: multipart/report; report-type=x; x=\"\xC3\xA4\"", "", "x*=utf-8''%c3%a4",
         true, false},
        {"Content-Type: text/plain; name=\"Fr\xF6sche.txt\"", "",
         "name*=unknown-8bit''Fr%f6sche.txt"},
        {"Content-Disposition: attachment; filename*=utf-8''%E2%82; x=\"\xC3\xA4\"", "",
         "filename*=unknown-8bit''%e2%82"},
        {"Content-Disposition: attachment; filename*0*=utf-8''Gr%C3%BC; filename*1= "
         "\"\xC3\x9F"
         "e.pdf\"",
         "", ""},
        {"Subject: Re:  Die Fr\xF6sche\r\n\taus K\xC3\xB6ln", "", "=?unknown-8bit?q?Fr=F6sche?="},
        // A word that does not decode reads as written (Python: with
        // U+FFFD), and goes so; set as text, it is text.
        {"X-Name: =?utf-8?q?Fr=F6sche?= \xC3\xA4", "", "", false},
        {"From: Fr\xF6sche <a@example.com>", "", "=?unknown-8bit?q?Fr=F6sche?="},
        // Such a word longer than a line, or 8-bit, goes as the text it reads
        // as; one glued to text that moves to make room stays as it came.
        {"From: =?utf-8?q?" + std::string(990, 'a') + "?==?utf-8?q?Fr=F6sche?= <a@example.com>", "",
         " =?utf-8?q?Fr=F6sche?= <", false},
        {"To: =?utf-8?q?" + std::string(1000, 'a') + "=FF?= <a@example.com>, " +
             "=?utf-8?q?caf\xC3\xA9=FF?= <b@example.com>",
         "", "", false},
        {"X-Note: " + std::string(990, 'b') + "=?utf-8?q?Fr=F6sche?= =?utf-8?q?" +
             std::string(1000, 'a') + "=FF?=",
         "", "", false},
        // Python's address parser reads a blank between the words of a
        // split name.
        {"To: M\xC3\xBCller <a@example.com>, \"Fr\xF6sche, K\" <b@example.com>", "", ""},
        {"Comments: Gr\xC3\xBC\xC3\x9F"
         "e aus K\xF6ln",
         "", "unknown-8bit"},
    };
    std::vector<std::string> originals;
    std::vector<std::string> rewrites;
    for (const Case& item : cases)
    {
        SCOPED_TRACE(item.field);
        std::string body = item.delimiter.empty()
                               ? "K\xC3\xB6ln\r\n"
                               : item.delimiter + "\r\n" + part + item.delimiter + "--\r\n";
        const std::string original = item.field + "\r\n\r\n" + body;
        Line field(original.data(), original.size());
        std::string read = readField(field.key(), field.value());
        // A caller sets the text of an unstructured field, unfolded, not
        // its encoded words.
        std::string text = field.value().copy();
        if (FieldGrammar::find(field.key()) == nullptr)
        {
            text.erase(std::remove_if(text.begin(), text.end(),
                                      [](char c) { return c == '\r' || c == '\n'; }),
                       text.end());
            if (text.find("=?") != std::string::npos) text = read;
        }
        Header edited;
        edited.set(field.key().copy().c_str(), text.c_str());
        Object message(original.data(), original.size());
        EXPECT_EQ(message.fix(Capabilities::standard()), item.fits);
        if (!item.delimiter.empty())
        {
            // Split, its part is encoded alone and keeps its parameters.
            EXPECT_EQ(std::distance(message.body.begin(), message.body.end()), 1);
            for (const Object& inner : message.body)
                EXPECT_EQ(inner.header.get("content-type"), "text/plain; charset=utf-8");
        }
        for (const std::string& rewrite :
             {message.str(false), field.str(false) + "\r\n" + body, edited.str(false) + body})
        {
            expectSevenBitHeader(rewrite);
            EXPECT_NE(rewrite.find(item.holds), std::string::npos) << rewrite;
            Object again(rewrite.data(), rewrite.size());
            EXPECT_EQ(readField(field.key(), again.header.get(field.key().copy().c_str())), read)
                << rewrite;
            if (!item.asPython) continue;
            originals.push_back(original);
            rewrites.push_back(rewrite);
        }
    }
    std::vector<std::string> before = Filter::Check::python(pythonFields, originals);
    std::vector<std::string> after = Filter::Check::python(pythonFields, rewrites);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i], before[i]) << rewrites[i];
}

} // namespace
} // namespace Mime
} // namespace Kestrava
