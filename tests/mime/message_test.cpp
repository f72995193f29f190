#include "mime/object.h"

#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/fields/contenttransferencoding.h"
#include "mime/errors.h"
#include "tests/filter/support/python.h"
#include "tests/mime/support/readings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Kestrava::Mime;
using Kestrava::Filter::Check::python;

namespace
{

std::string written(const Object& object, const Capabilities& capabilities = Capabilities::utf8())
{
    return object.str(capabilities.allowsUtf8);
}

std::string decoded(const Body& body)
{
    std::string text;
    Kestrava::Filter::String sink(&text);
    body.decode(&sink);
    return text;
}

/// A nested multipart message made by Python's email package, CR LF ends.
const char* const pythonMultipart = R"(
from email.message import EmailMessage
from email.policy import SMTP
def apply(data):
    inner = EmailMessage()
    inner.set_content("inner text\n")
    inner.add_alternative("<p>inner</p>\n", subtype="html")
    outer = EmailMessage()
    outer["From"] = "a@example.com"
    outer["Subject"] = "nested"
    outer.set_content("first part\n")
    outer.add_attachment(b"\x00\x01binary\xff" * 40, maintype="application", subtype="octet-stream")
    outer.attach(inner)
    outer.preamble = "This is a preamble.\n"
    outer.epilogue = "This is the epilogue.\n"
    return outer.as_bytes(policy=SMTP)
)";

/// Every leaf of the message given, decoded, joined by "|".
const char* const pythonLeaves = R"(
import email
from email.policy import SMTP
def apply(data):
    message = email.message_from_bytes(data, policy=SMTP)
    return b"|".join(part.get_payload(decode=True) for part in message.walk()
                     if not part.is_multipart())
)";

TEST(MessageTest, LfAndCrLfTextsGiveTheSameLines)
{
    std::string crlf = "From: a@example.com\r\nSubject: x\r\n\r\nbody\r\n";
    std::string lf = "From: a@example.com\nSubject: x\n\nbody\n";
    Object first(crlf.data(), crlf.size());
    Object second(lf.data(), lf.size());
    ASSERT_EQ(first.header.size(), 2u);
    ASSERT_EQ(second.header.size(), 2u);
    EXPECT_EQ(first.header.get("subject").copy(), "x");
    EXPECT_EQ(second.header.line(1).key().copy(), "Subject");
    EXPECT_EQ(first.body.copy(), "body\r\n");
    EXPECT_EQ(written(first), crlf);
    EXPECT_EQ(written(second), written(first));
    std::string headerOnly = "From: a@example.com\r\n";
    EXPECT_EQ(Object(headerOnly.data(), headerOnly.size()).body.size, 0u);
    EXPECT_THROW(Object("", 0), FatalError);
}

TEST(MessageTest, ALineThatIsNoFieldStartsTheBody)
{
    // As Python's email reads it, first line or further down; no blank
    // line is written where none was read.
    std::string headerless = "just text, no field\r\nX: 1\r\n\r\nmore\r\n";
    std::string part =
        "Content-Type: multipart/mixed; boundary=ab\r\n\r\n--ab\r\n" + headerless + "--ab--\r\n";
    std::string further = "From: a@example.com\r\n" + headerless;
    for (const std::string& text : {headerless, part, further})
    {
        Object object(text.data(), text.size());
        const Object& inner = text == part ? *object.body.parts.at(0) : object;
        EXPECT_EQ(inner.header.size(), text == further ? 1u : 0u);
        EXPECT_EQ(inner.body.copy(), headerless);
        EXPECT_EQ(written(object), text);
        EXPECT_EQ(written(object, Capabilities::standard()), text);
    }

    // A blank line is written where what follows would read as a field.
    std::string headerOnly = "Content-Type: multipart/mixed; boundary=ab\r\n";
    std::string added = "X: 2\r\n\r\ntwo\r\n";
    Object object(headerOnly.data(), headerOnly.size());
    object.body.preamble("X: 1\r\n");
    object.body.append(Object(added.data(), added.size()));
    EXPECT_EQ(written(object), headerOnly + "\r\nX: 1\r\n--ab\r\n" + added + "--ab--\r\n");

    // And where what follows opens with a blank, which would continue it.
    Object indented(headerOnly.data(), headerOnly.size());
    indented.body.preamble(" indented\r\nBcc: b@example.com\r\n");
    std::string out = written(indented);
    Object again(out.data(), out.size());
    EXPECT_EQ(again.header.size(), 1u);
    EXPECT_EQ(again.body.preamble().copy(), " indented\r\nBcc: b@example.com\r\n");
}

TEST(MessageTest, LinesReadersReadPastStayInFrontOfAFieldPutThere)
{
    // A continuation that opens the block and an mbox "From " line: mail
    // readers read on past them, and a field put in front (a signature, a
    // trace) must not take them as its continuation.
    std::string text = " opening\r\nFrom sender@example.com\r\nContent-Type: text/html\r\n\r\nx\r\n";
    Object message(text.data(), text.size());
    message.header.prepend("Received", "by relay.example.com");
    std::string out = written(message);
    EXPECT_EQ(out.substr(0, 38), " opening\r\nFrom sender@example.com\r\nRec");
    Object again(out.data(), out.size());
    ASSERT_EQ(again.header.size(), 2u);
    EXPECT_EQ(again.header.line(1).key().copy(), "Content-Type");
}

TEST(MessageTest, PythonMultipartsSplitAsPythonDoesAndWriteBackUnchanged)
{
    std::string text = python(pythonMultipart, "");
    Object message(text.data(), text.size());
    ASSERT_EQ(message.body.parts.size(), 3u);
    // The line break before the first delimiter is the delimiter's.
    EXPECT_EQ(message.body.preamble().copy(), "This is a preamble.\r\n");
    EXPECT_EQ(message.body.epilogue().copy(), "This is the epilogue.\r\n");
    ASSERT_EQ(message.body.parts[2]->body.parts.size(), 2u);
    EXPECT_EQ(written(message), text);

    std::vector<std::string> ours;
    auto leaf = [&ours](const Object& part) { ours.push_back(decoded(part.body)); };
    leaf(*message.body.parts[0]);
    leaf(*message.body.parts[1]);
    for (const auto& inner : message.body.parts[2]->body.parts)
        leaf(*inner);
    std::string expected = python(pythonLeaves, text) + "|";
    for (const std::string& part : ours)
    {
        size_t end = expected.find('|');
        std::string theirs = expected.substr(0, end);
        expected.erase(0, end + 1);
        // The line break before a delimiter belongs to the delimiter.
        EXPECT_EQ(part, theirs);
    }
    EXPECT_TRUE(expected.empty());
}

TEST(MessageTest, DelimitersCountOnlyAtLineStartsAndWhole)
{
    std::string text =
        "Content-Type: multipart/mixed; boundary=ab\r\n\r\n"
        "pre --ab\r\n--abc\r\n--ab x\r\n--ab\r\nX: 1\r\n\r\none\r\n--ab--\r\nafter\r\n";
    Object message(text.data(), text.size());
    ASSERT_EQ(message.body.parts.size(), 1u);
    EXPECT_EQ(message.body.preamble().copy(), "pre --ab\r\n--abc\r\n--ab x");
    EXPECT_EQ(message.body.parts[0]->body.copy(), "one\r\n");
    EXPECT_EQ(message.body.epilogue().copy(), "after\r\n");
    EXPECT_EQ(written(message), text);

    std::string closedAtOnce = "Content-Type: multipart/mixed; boundary=ab\r\n\r\n--ab--\r\n";
    Object empty(closedAtOnce.data(), closedAtOnce.size());
    EXPECT_TRUE(empty.body.parts.empty());
    EXPECT_EQ(empty.body.epilogue().size, 0u);
}

/// The header names of a part, "/", and its body text.
std::string describe(const Object& part)
{
    std::string text;
    for (const Line& line : part.header)
        text += line.key().copy();
    return text + "/" + part.body.copy();
}

/// The number of parts and the epilogue as Python's email reads them.
const char* const pythonShape = R"(
import email
from email.policy import SMTP
def apply(data):
    message = email.message_from_bytes(data, policy=SMTP)
    return b"%d|%s" % (len(message.get_payload()), (message.epilogue or "").encode())
)";

TEST(MessageTest, MultipartShapesSplitAsReadersDoAndWriteBackUnchanged)
{
    struct Shape
    {
        std::string body;
        std::vector<std::string> parts;
        std::string epilogue;
        bool asPython;
    };
    const std::vector<Shape> shapes = {
        // An unterminated last part is a part, its delimiter kept.
        {"pre\r\n--ab\r\nX: 1\r\n\r\none\r\n--ab\r\nX: 2\r\n\r\ntwo\r\n",
         {"X/one\r\n", "X/two\r\n"},
         "",
         true},
        {"pre\r\n--ab\r\n", {"/"}, "", true},
        // Python leaves out the empty part between two delimiters.
        {"--ab\r\n--ab\r\nX: 1\r\n\r\none\r\n--ab--\r\n", {"/", "X/one\r\n"}, "", false},
        {"--ab \t\r\nX: 1\r\n\r\none\r\n--ab--  \r\nepi\r\n", {"X/one\r\n"}, "epi\r\n", true},
        {"--ab\r\nX: 1\r\n\r\none\r\n--ab--\r\nepi\r\n--ab\r\nX: 2\r\n\r\ntwo\r\n--ab--\r\n",
         {"X/one\r\n"},
         "epi\r\n--ab\r\nX: 2\r\n\r\ntwo\r\n--ab--\r\n",
         true},
        // Python takes a body that opens with a closing delimiter as text.
        {"pre\r\n--ab--\r\nepi\r\n", {}, "epi\r\n", false},
        {"--ab\r\nX: 1\r\n\r\n--ab\r\nX: 2\r\n--ab--\r\n", {"X/", "X/"}, "", true},
        {"no delimiter\r\n", {}, "", false},
    };
    const std::string head = "Content-Type: multipart/mixed; boundary=ab\r\n\r\n";
    for (const Shape& shape : shapes)
    {
        std::string text = head + shape.body;
        Object message(text.data(), text.size());
        std::vector<std::string> parts;
        for (const Object& part : message.body)
            parts.push_back(describe(part));
        EXPECT_EQ(parts, shape.parts) << shape.body;
        EXPECT_EQ(message.body.epilogue().copy(), shape.epilogue) << shape.body;
        EXPECT_EQ(written(message), text);
        if (shape.asPython)
        {
            EXPECT_EQ(python(pythonShape, text),
                      std::to_string(shape.parts.size()) + "|" + shape.epilogue);
        }
    }
}

TEST(MessageTest, ADelimiterAfterABareCrSplitsAsWrittenAndAsPythonReadsIt)
{
    // The writer ends lines with CR LF, so a delimiter behind a bare CR is
    // one once written: read as text, a second part would appear unseen.
    std::string text = "Content-Type: multipart/mixed; boundary=ab\r\n\r\n"
                       "--ab\r\nX: 1\r\n\r\none\r--ab\rX: 2\r\n\r\ntwo\r\n--ab--\r\n";
    Object message(text.data(), text.size());
    std::string out = written(message);
    Object again(out.data(), out.size());
    for (const Object* object : {&message, &again})
    {
        std::vector<std::string> parts;
        for (const Object& part : object->body)
            parts.push_back(describe(part));
        EXPECT_EQ(parts.size(), 2u);
        EXPECT_EQ(parts.back(), "X/two\r\n");
    }
    EXPECT_EQ(python(pythonShape, text), "2|");
}

TEST(MessageTest, AnAppendedPartTurnsTheOldClosingDelimiterIntoAnOrdinaryOne)
{
    std::string text = "Content-Type: multipart/mixed; boundary=ab\r\n\r\n"
                       "--ab\r\nX: 1\r\n\r\none\r\n--ab--\r\n";
    std::string added = "X: 2\r\n\r\ntwo\r\n";
    Object message(text.data(), text.size());
    message.body.append(Object(added.data(), added.size()));
    EXPECT_EQ(written(message), "Content-Type: multipart/mixed; boundary=ab\r\n\r\n"
                                "--ab\r\nX: 1\r\n\r\none\r\n--ab\r\nX: 2\r\n\r\ntwo\r\n--ab--\r\n");

    // An unterminated last part is no longer last: it gets a delimiter.
    std::string open = text.substr(0, text.size() - 8);
    Object unterminated(open.data(), open.size());
    unterminated.body.append(Object(added.data(), added.size()));
    EXPECT_EQ(written(unterminated), written(message));
}

TEST(MessageTest, MultipartsNestedBeyondReasonAreKeptAsText)
{
    // Each level is a multipart whose one part is the next level: parsed
    // depth-first, tens of thousands of levels would overrun the stack.
    const size_t levels = 20000;
    std::string text;
    for (size_t level = 0; level < levels; ++level)
        text += "Content-Type: multipart/mixed; boundary=" + std::to_string(level) + "\r\n\r\n--" +
                std::to_string(level) + "\r\n";
    text += "X: 1\r\n\r\ninnermost\r\n";
    for (size_t level = levels; level-- > 0;)
        text += "--" + std::to_string(level) + "--\r\n";
    Object message(text.data(), text.size());
    size_t depth = 0;
    const Object* inner = &message;
    while (inner->body.parts.size() == 1)
    {
        inner = inner->body.parts[0].get();
        ++depth;
    }
    EXPECT_GT(depth, 10u);
    EXPECT_LT(depth, levels);
    // The level not taken apart keeps its whole text.
    std::string rest = inner->body.preamble().copy();
    EXPECT_NE(rest.find("innermost"), std::string::npos);
    EXPECT_EQ(written(message), text);
}

TEST(MessageTest, BodiesAreTranscodedWhenTheHeaderChangesTheirEncoding)
{
    std::string base64 = "Content-Transfer-Encoding: base64\r\n\r\nR3LDvMOfZSA9IGJ5ZQ==\r\n";
    Object message(base64.data(), base64.size());
    EXPECT_EQ(decoded(message.body), "Gr\xC3\xBC\xC3\x9F"
                                     "e = bye");
    message.header.set(ContentTransferEncoding(ContentTransferEncoding::quotedPrintable));
    // The text had no last line break: none is added to it.
    EXPECT_EQ(written(message), "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                                "Gr=C3=BC=C3=9Fe =3D bye=\r\n");

    std::string line(100, 'x');
    std::string eightbit = "Content-Transfer-Encoding: 8bit\r\n\r\n" + line + "\r\n";
    Object wide(eightbit.data(), eightbit.size());
    wide.header.set(ContentTransferEncoding(ContentTransferEncoding::base64));
    std::string out = written(wide);
    std::string body = out.substr(out.find("\r\n\r\n") + 4);
    EXPECT_EQ(body.find("\r\n"), 76u);
    EXPECT_EQ(python("import base64\ndef apply(d): return base64.b64decode(d)\n", body),
              line + "\r\n");

    std::string binary = "Content-Transfer-Encoding: binary\r\n\r\nab";
    EXPECT_EQ(decoded(Object(binary.data(), binary.size()).body), "ab");

    // Writers that leave out the padding.
    std::string unpadded = "Content-Transfer-Encoding: base64\r\n\r\nSGVsbG8sIHdvcmxkIQ\r\n";
    EXPECT_EQ(decoded(Object(unpadded.data(), unpadded.size()).body),
              python(pythonLeaves, unpadded));
}

TEST(MessageTest, FixRepairsForSevenBitReceiversButNotASignedMessage)
{
    std::string text =
        "Content-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n\r\nK\xC3\xB6ln\r\n";
    Object message(text.data(), text.size());
    EXPECT_TRUE(message.fix(Capabilities::utf8()));
    EXPECT_EQ(message.header.get("content-transfer-encoding").copy(), "8bit");
    std::string signedText = "DKIM-Signature: v=1\r\n" + text;
    Object signedMessage(signedText.data(), signedText.size());
    EXPECT_FALSE(signedMessage.fix(Capabilities::standard()));
    EXPECT_EQ(written(signedMessage), signedText);
    EXPECT_TRUE(message.fix(Capabilities::standard()));
    EXPECT_EQ(written(message, Capabilities::standard()),
              "Content-Type: text/plain\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
              "K=C3=B6ln\r\n");

    // A 7bit label, or none, does not make 8-bit bytes 7-bit.
    for (const std::string label : {"Content-Transfer-Encoding: 7bit\r\n", ""})
    {
        std::string mislabelled = "Content-Type: text/plain\r\n" + label + "\r\nK\xC3\xB6ln\r\n";
        Object object(mislabelled.data(), mislabelled.size());
        EXPECT_TRUE(object.fix(Capabilities::standard()));
        EXPECT_EQ(object.header.get("content-transfer-encoding").copy(), "quoted-printable");
    }

    std::string parts = "Content-Type: multipart/mixed; boundary=ab\r\n\r\n--ab\r\n\r\none\r\n"
                        "--ab\r\nContent-Transfer-Encoding: binary\r\n\r\n\xFF\r\n--ab--\r\n";
    Object multipart(parts.data(), parts.size());
    multipart.repair(Capabilities::standard());
    EXPECT_EQ(multipart.header.get("content-transfer-encoding").size, 0u);
    EXPECT_EQ(multipart.body.parts[1]->header.get("content-transfer-encoding").copy(), "base64");
}

/// The subject and the decoded text of the message in the first part, as
/// Python's email reads them.
const char* const pythonEmbedded = R"(
import email
from email.policy import SMTP
def apply(data):
    message = email.message_from_bytes(data, policy=SMTP)
    inner = message.get_payload()[0].get_payload()[0]
    return inner["subject"].encode() + b"|" + inner.get_payload(decode=True)
)";

TEST(MessageTest, FixRepairsAnEmbeddedMessageInsideAndNeverEncodesIt)
{
    // RFC 2046 5.2.1 allows 7bit, 8bit and binary only; in a digest a part
    // without a type is a message too.
    const std::string embedded = "Content-Transfer-Encoding: 8bit\r\n\r\n"
                                 "Subject: K\xC3\xB6ln\r\n\r\nK\xC3\xB6ln\r\n";
    auto multipart = [](const std::string& type, const std::string& first)
    {
        return "Content-Type: multipart/" + type + "; boundary=ab\r\n\r\n--ab\r\n" + first +
               "--ab\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: 8bit\r\n"
               "\r\n\xFF\r\n--ab--\r\n";
    };
    // Inside, a body without a label of its own holds 8-bit bytes too.
    const std::string unlabelled = "Content-Transfer-Encoding: 8bit\r\n\r\n"
                                   "Subject: Koeln\r\n\r\nK\xC3\xB6ln\r\n";
    for (const std::string& text :
         {multipart("mixed", "Content-Type: message/rfc822\r\n" + embedded),
          multipart("digest", embedded), multipart("digest", unlabelled)})
    {
        Object message(text.data(), text.size());
        EXPECT_TRUE(message.fix(Capabilities::standard()));
        EXPECT_EQ(message.body.parts[0]->header.get("content-transfer-encoding").copy(), "7bit");
        EXPECT_EQ(message.body.parts[1]->header.get("content-transfer-encoding").copy(),
                  "quoted-printable");
        std::string out = written(message, Capabilities::standard());
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](char c) { return c > 0; }));
        EXPECT_EQ(python(pythonEmbedded, out),
                  text.find("Koeln") == std::string::npos ? "K\xC3\xB6ln|K\xC3\xB6ln"
                                                          : "Koeln|K\xC3\xB6ln");
    }

    // Repairing a signed message would break its signature: it is left.
    std::string text = multipart("mixed", "Content-Type: message/rfc822\r\n" + embedded);
    text.insert(text.find("Subject"), "DKIM-Signature: v=1\r\n");
    Object message(text.data(), text.size());
    EXPECT_FALSE(message.fix(Capabilities::standard()));
    EXPECT_EQ(message.body.parts[0]->header.get("content-transfer-encoding").copy(), "8bit");
    EXPECT_NE(written(message).find("DKIM-Signature: v=1\r\nSubject: K\xC3\xB6ln\r\n"),
              std::string::npos);

    // Each level carries the next: repairing stops at a depth, and what it
    // leaves keeps the whole from going out as 7-bit.
    std::string deep;
    for (int level = 0; level < 20000; ++level)
        deep += "Content-Type: message/rfc822\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
    deep += "\xFF\r\n";
    Object nested(deep.data(), deep.size());
    EXPECT_FALSE(nested.fix(Capabilities::standard()));
    EXPECT_EQ(nested.header.get("content-transfer-encoding").copy(), "7bit");
}

/// A message whose one part is given, LF line ends made CR LF unless `lf`.
std::string inMultipart(const std::string& part, bool lf = false)
{
    std::string text =
        "Content-Type: multipart/mixed; boundary=b\n\npre\n--b\n" + part + "\n--b--\nepi\n";
    if (lf) return text;
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return crlf;
}

TEST(MessageTest, FixAndTheWriterKeepEveryByteAndFixKeepsItsPromise)
{
    using Kestrava::Test::pythonCompositeLabels;
    using Kestrava::Test::pythonReadings;
    using Kestrava::Test::readingDifference;
    using Kestrava::Test::sevenBitFault;
    struct Shape
    {
        const char* fault;
        std::string text;
        bool fits;
        /// Text the fitted message holds, if any.
        std::string holds;
        /// Written back as read, Python reads the same.
        bool asRead = true;
    };
    const std::string binary = "Content-Type: application/octet-stream\n"
                               "Content-Transfer-Encoding: binary\n\n" +
                               std::string("\x00\x01\xFF", 3);
    std::string references = "References:";
    for (int i = 0; i < 40; ++i)
        references += " <" + std::to_string(1000000 + i) + ".part@mail.example.com>";
    const std::vector<Shape> shapes = {
        {"a part's bytes exactly", inMultipart(binary), true, "\r\n\r\nAAH/\r\n--b--"},
        {"LF: a part's bytes exactly", inMultipart(binary, true), true, "\r\n\r\nAAH/\r\n--b--"},
        {"an unterminated last part's bytes exactly",
         "Content-Type: multipart/mixed; boundary=b\n\n--b\n" + binary + "\n", true,
         "\r\n\r\nAAH/\r\n"},
        {"binary octets that end with a line feed",
         "Content-Transfer-Encoding: binary\n\n" + std::string("\x00\x01\xFF\n", 4), true,
         "\r\n\r\nAAH/Cg==\r\n"},
        {"an 8-bit attachment with bare line ends",
         "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
             std::string("\x00\r\x01\n\xFF\r\n", 7),
         true, "\r\n\r\nAA0BCv8NCg==\r\n"},
        {"a multipart labelled 8bit",
         "Content-Type: multipart/mixed; boundary=b\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
         "--b\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nK\xC3\xB6ln\r\n--b--\r\n",
         true, "K=C3=B6ln\r\n--b--"},
        {"a multipart labelled base64",
         "Content-Type: multipart/mixed; boundary=b\r\nContent-Transfer-Encoding: base64\r\n\r\n"
         "--b\r\n\r\none\r\n--b--\r\n",
         true, "Content-Transfer-Encoding: 7bit\r\n\r\n--b"},
        {"a multipart without a boundary holding 8-bit text",
         "Content-Type: multipart/mixed\r\n\r\n--b\r\nContent-Type: text/plain; charset=utf-8\r\n"
         "\r\nK\xC3\xB6ln\r\n--b--\r\n",
         false, ""},
        {"a binary message in a part",
         inMultipart("Content-Type: message/rfc822\nContent-Transfer-Encoding: binary\n\n" +
                     binary),
         true, "\r\n\r\nAAH/\r\n--b--"},
        {"a multipart labelled 8bit whose delimiter is never found",
         "Content-Type: multipart/mixed; boundary=b\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
         "--c\r\n\r\none\r\n--c--\r\n",
         true, "Content-Transfer-Encoding: 7bit\r\n\r\n--c"},
        {"a multipart whose type readers take though its grammar is not kept",
         "Content-Type: multipart/ mixed; boundary=b\r\n\r\n--b\r\n"
         "Content-Type: text/plain; charset=utf-8\r\n\r\nK\xC3\xB6ln\r\n--b--\r\n",
         false, "charset=utf-8\r\n\r\nK\xC3\xB6ln\r\n--b--"},
        {"a multipart whose type does not read, holding a multipart labelled binary, CR ends",
         "Content-Type: multipart/mixed x; boundary=b\r\r--b\rContent-Type: multipart/related;"
         " boundary=c\rContent-Transfer-Encoding: binary\r\r--c\r\rone\r--c--\r--b--\r",
         false, "binary\r\n\r\n--c"},
        {"a message whose type readers take though text follows it",
         inMultipart("Content-Type: message/rfc822 x\n\nContent-Type: text/plain; charset=utf-8\n"
                     "\nK\xC3\xB6ln"),
         false, "charset=utf-8\r\n\r\nK\xC3\xB6ln\r\n--b--"},
        {"a message labelled 7bit holding 8-bit text",
         inMultipart("Content-Type: message/rfc822\n\nSubject: x\n\nK\xC3\xB6ln"), true,
         "Content-Transfer-Encoding: quoted-printable\r\n\r\nK=C3=B6ln\r\n--b"},
        {"a line over 998 octets", "Subject: x\r\n\r\n" + std::string(1200, 'x') + "\r\n", true,
         "Content-Transfer-Encoding: quoted-printable"},
        {"a References field over 998 octets", references + "\r\n\r\nx\r\n", true, ""},
        {"8-bit bytes in quoted-printable",
         "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable"
         "\r\n\r\nK\xC3\xB6ln =3D x\r\n",
         true, "K=C3=B6ln =3D x"},
        {"8-bit bytes in base64",
         "Content-Transfer-Encoding: base64\r\n\r\nS8O2bG4g\xFFS8O2\r\nbG4=\r\n", true, ""},
        {"quoted-printable that readers decode apart, with 8-bit bytes",
         "Content-Transfer-Encoding: quoted-printable\r\n\r\n--==x== a= \r\nb K\xC3\xB6ln\r\n",
         false, "--==x== a= \r\nb K\xC3\xB6ln"},
        {"base64 one character past a quantum, with 8-bit bytes",
         "Content-Transfer-Encoding: base64\r\n\r\nDie Fr\xF6sche\r\n", false, "Die Fr\xF6sche"},
        {"a base64 label with blanks after it, which some readers do not read",
         "Content-Transfer-Encoding: base64 \r\n\r\nS8O2bG4=\r\n--b--\xFF\r\n", false,
         "S8O2bG4=\r\n--b--\xFF"},
        {"a base64 line over 998 octets",
         "Content-Transfer-Encoding: base64\r\n\r\n" + std::string(1200, 'A') + "\r\n", true, ""},
        {"a signed message whose Subject would be encoded",
         "DKIM-Signature: v=1\r\nSubject: K\xC3\xB6ln\r\n\r\nx\r\n", false, ""},
        {"an ARC set whose results would be written anew",
         "ARC-Authentication-Results: i=1; mx.example.com; dkim=pass (K\xC3\xB6ln)\r\n"
         "ARC-Seal: i=1; cv=none; a=rsa-sha256; d=example.com; s=s; b=x\r\n\r\nx\r\n",
         false, ""},
        {"a non-ASCII local part", "From: j\xC3\xB6rg@example.com\r\n\r\nx\r\n", false, ""},
        {"an identifier with 8-bit bytes", "Message-ID: <K\xC3\xB6ln@example.com>\r\n\r\nx\r\n",
         false, ""},
        {"8-bit text after an identifier",
         "Content-ID: <a@b> (K\xC3\xB6ln) x\xFF\r\n\r\nx\r\n", false,
         "Content-ID: <a@b> (K\xC3\xB6ln) x\xFF\r\n"},
        {"a group whose members are no addresses",
         "To: K\xC3\xB6ln Team: junk words\r\n\r\nx\r\n", false,
         "To: K\xC3\xB6ln Team: junk words\r\n"},
        {"a return path with a non-ASCII local part",
         "Return-Path: <j\xC3\xB6rg@example.com>\r\n\r\nx\r\n", false, ""},
        {"comments with 8-bit text in structured fields",
         "Date: Mon, 1 Jan 2024 00:00:00 +0000 (M\xC3\xA4rz)\r\nContent-ID: <a@b> (K\xC3\xB6ln)\r\n"
         "Authentication-Results: x; dkim=pass (K\xC3\xB6ln)\r\n\r\nx\r\n",
         true,
         "Date: Mon, 1 Jan 2024 00:00:00 +0000 (=?utf-8?q?M=C3=A4rz?=)\r\n"
         "Content-ID: <a@b> (=?utf-8?q?K=C3=B6ln?=)\r\n"
         "Authentication-Results: x; dkim=pass (=?utf-8?q?K=C3=B6ln?=)\r\n"},
        {"a token over 998 octets",
         "Message-ID: <" + std::string(1200, 'x') + "@example.com>\r\n\r\nx\r\n", false, ""},
        {"8-bit text without a last line break",
         "Content-Transfer-Encoding: 8bit\r\n\r\nK\xC3\xB6ln", true, "\r\n\r\nK=C3=B6ln=\r\n",
         // Written back, its last line gets the CR LF every line of a
         // message ends with: the text then ends with a line break.
         false},
        {"LF line ends", "Subject: x\n\npre\nfirst\n\n", true, "\r\n\r\npre\r\nfirst\r\n\r\n"},
        {"LF line ends around parts",
         "Content-Type: multipart/mixed; boundary=b\n\npre\n--b\n\none\n--b--\nepi\n", true,
         "\r\npre\r\n--b\r\n\r\none\r\n--b--\r\nepi\r\n"},
        {"a label added where a name has blanks before its colon",
         "Subject : x\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nK\xC3\xB6ln\r\n", true,
         "Content-Transfer-Encoding: quoted-printable\r\nSubject : x\r\n"},
        {"a part without a header that gets one", inMultipart("K\xC3\xB6ln"), true,
         "--b\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\nK=C3=B6ln\r\n--b--"},
        {"a header without its blank line that gets a field",
         inMultipart("Content-Type: text/plain; charset=utf-8\nK\xC3\xB6ln"), true,
         "quoted-printable\r\n\r\nK=C3=B6ln\r\n--b--"},
        {"uuencoded text with 8-bit bytes",
         "Content-Transfer-Encoding: x-uuencode\r\n\r\nbegin 644 a\r\n#\xFF\r\nend\r\n", false, ""},
        {"an empty message labelled 8bit",
         inMultipart("Content-Type: message/rfc822\nContent-Transfer-Encoding: 8bit\n"), true, ""},
        {"a multipart labelled binary in a message that fits",
         inMultipart("Content-Type: message/rfc822\n\nContent-Type: multipart/mixed; boundary=c\n"
                     "Content-Transfer-Encoding: binary\n\n--c\n\none\n--c--"),
         true, "boundary=c\r\nContent-Transfer-Encoding: 7bit\r\n"},
        {"a fragment of a message whose multipart is labelled binary",
         inMultipart("Content-Type: message/partial; id=x; number=1; total=2\n\n"
                     "Content-Type: multipart/mixed; boundary=c\nContent-Transfer-Encoding: binary"
                     "\n\n--c\n\none"),
         false, ""},
        {"a delivery status with 8-bit text, which is no message",
         inMultipart("Content-Type: message/delivery-status\nContent-Transfer-Encoding: 8bit\n\n"
                     "Reporting-MTA: dns; x\n\nFinal-Recipient: rfc822; j\xC3\xB6rg@example.com"),
         false, "\r\n\r\nFinal-Recipient: rfc822; j\xC3\xB6rg@example.com"},
        {"a UTF-8 message",
         inMultipart("Content-Type: message/global\n\nSubject: K\xC3\xB6ln\n\nx"), true,
         "7bit\r\n\r\nSubject: =?utf-8?q?K=C3=B6ln?=\r\n"},
        {"a signed part with 8-bit text, which its signature covers as it stands",
         "Content-Type: multipart/signed; protocol=\"application/pgp-signature\"; boundary=b\r\n"
         "\r\n--b\r\nContent-Type: text/plain; charset=utf-8\r\nSubject: K\xC3\xB6ln\r\n\r\n"
         "K\xC3\xB6ln\r\n--b\r\nContent-Type: application/pgp-signature\r\n\r\nsignature\r\n"
         "--b--\r\n",
         false, "\r\n\r\nK\xC3\xB6ln\r\n--b"},
        {"a NUL byte in a text, which 7-bit data may not hold",
         "Subject: x\r\n\r\n" + std::string("a\0b\r\n", 5), true, "\r\n\r\na=00b\r\n"},
        {"a long line ending in a delimiter, re-encoded",
         inMultipart("Content-Type: text/plain; charset=utf-8\n\nK\xC3\xB6ln\n" +
                     std::string(75, 'x') + "--b\nafter"),
         true, "=\r\n=2D-b\r\nafter"},
    };
    std::vector<std::string> inputs;
    std::vector<std::string> fitted;
    for (const Shape& shape : shapes)
    {
        SCOPED_TRACE(shape.fault);
        Object message(shape.text.data(), shape.text.size());
        inputs.push_back(shape.text);
        inputs.push_back(written(message));
        EXPECT_EQ(message.fix(Capabilities::standard()), shape.fits);
        inputs.push_back(written(message, Capabilities::standard()));
        if (shape.fits) fitted.push_back(inputs.back());
        EXPECT_NE(inputs.back().find(shape.holds), std::string::npos) << inputs.back();
    }
    std::vector<std::string> readings = pythonReadings(inputs);
    std::vector<std::string> labels = pythonCompositeLabels(fitted);
    for (size_t i = 0, fit = 0; i < shapes.size(); ++i)
    {
        SCOPED_TRACE(shapes[i].fault);
        if (shapes[i].asRead)
            EXPECT_EQ(readingDifference(readings[3 * i + 1], readings[3 * i]), "") << "written";
        EXPECT_EQ(readingDifference(readings[3 * i + 2], readings[3 * i]), "") << "fitted";
        if (!shapes[i].fits) continue;
        EXPECT_EQ(sevenBitFault(fitted[fit]), "");
        EXPECT_EQ(labels[fit++], "");
    }
}

} // namespace
