// Malformed encodings that mailers send, read by us as Python's email reads
// them, before fix() and after it: fix() may change how a text is written,
// never what a reader takes from it.
#include "mime/capabilities.h"
#include "mime/object.h"
#include "tests/mime/support/readings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Kestrava::Mime;
using namespace Kestrava::Test;

namespace
{

/// The part in a multipart with a preamble and an epilogue, its line ends
/// made `lineEnd`.
std::string inMultipart(const std::string& part, const std::string& lineEnd = "\r\n")
{
    std::string text =
        "Content-Type: multipart/mixed; boundary=b\n\npre\n--b\n" + part + "\n--b--\nepi\n";
    std::string result;
    for (char c : text)
        result += c == '\n' ? lineEnd : std::string(1, c);
    return result;
}

const std::string qp = "Content-Type: text/plain; charset=utf-8\n"
                       "Content-Transfer-Encoding: quoted-printable\n\n";

TEST(PeerReadingTest, MalformedEncodingsReadAsPythonReadsThemBeforeAndAfterFix)
{
    struct Shape
    {
        const char* fault;
        std::string text;
        bool fits;
        /// Python reads the text as it came apart from how it reads it
        /// written: its reading of the written text is the one to match.
        bool pythonReadsWritten = false;
        /// Whose reading ours matches where Python's email reads apart:
        /// quopri's own decoder's, which keeps to RFC 2045 where binascii
        /// does not, or our own (a broken text read as it stands), which
        /// fix() then must not change either.
        enum class Reader
        {
            python,
            rfcQuotedPrintable,
            ours,
        } reader = Reader::python;
        /// Where ours matches no reading of Python's, whether fix() writes
        /// the text so that Python then reads it as we do.
        bool pythonReadsFittedAsOurs = false;
    };
    using Reader = Shape::Reader;
    // Makes the field's line too long to go as it came: it is written anew.
    const std::string rewritten = "; x=\"" + std::string(1000, 'x') + "\"";
    const std::string nested = "Content-Type: multipart/alternative; boundary=c\n\ninner pre\n"
                               "--c\n\none\n--c--\ninner epi\n";
    const std::vector<Shape> shapes = {
        // Quoted-printable: "=" without two hex digits or a line break stays.
        {"a dangling escape before a delimiter, 8-bit text re-encoded",
         inMultipart(qp + "Prix: caf\xC3\xA9 5=4"), true},
        {"a dangling escape at the end of a part", inMultipart(qp + "Prix: 5=4"), true},
        {"one hex digit and a line break", inMultipart(qp + "a=4\nb=C\n K\xC3\xB6ln"), true},
        {"lower-case hex digits", inMultipart(qp + "caf=c3=a9 =3d"), true},
        // Blanks after "=" pad a soft break, which binascii keeps.
        {"an equals sign before blanks and a line break", inMultipart(qp + "a= \nb=\t\nc"), true,
         false, Reader::rfcQuotedPrintable},
        {"a soft break that ends the part", inMultipart(qp + "K\xC3\xB6ln=\nabc="), true},
        {"no hex digits", inMultipart(qp + "=G1 =1G x=5 K\xC3\xB6ln"), true},
        // Readers differ there: not decoded anew.
        {"an equals sign before blanks, with 8-bit text", inMultipart(qp + "a= \nK\xC3\xB6ln"),
         false, false, Reader::rfcQuotedPrintable},
        {"base64 padding before a delimiter",
         inMultipart("Content-Transfer-Encoding: base64\n\nS8O2bG4="), true},
        // RFC 2231: only "%" and two hex digits is an escape.
        {"a percent sign at the end of a value, the line rewritten",
         inMultipart("Content-Disposition: attachment; filename*=utf-8''100%" + rewritten +
                     "\n\nbody"),
         true},
        {"a percent sign without hex digits",
         inMultipart("Content-Type: text/plain; name*=utf-8''report.%6Lxe" + rewritten +
                     "\n"
                     "Content-Disposition: attachment; filename*=utf-8''a%4\n\nbody"),
         true},
        {"an escape cut between two sections",
         inMultipart("Content-Disposition: attachment; filename*0*=utf-8''ab%; "
                     "filename*1*=41; name*0*=utf-8''ab%4; name*1*=1" +
                     rewritten + "\n\nbody"),
         true},
        // Quoted-printable in lines ended by a lone CR or LF.
        {"CR-only: an equals sign before a line end, and a dangling escape",
         "Content-Transfer-Encoding: quoted-printable\r\r a=\rb=4\rc=\r", true, true},
        {"LF-only: an equals sign before a line end, and a dangling escape",
         "Content-Transfer-Encoding: quoted-printable\n\n a=\nb=4\nc=\n", true},
        {"CR-only: in a part", inMultipart(qp + "a=\nb=4", "\r"), true, true},
        // The line break before a delimiter line is the delimiter's.
        {"a nested multipart", inMultipart(nested), true},
        {"a nested multipart with blank lines before the delimiters",
         inMultipart("Content-Type: multipart/alternative; boundary=c\n\ninner pre\n\n--c\n\none\n"
                     "--c--\ninner epi\n\n"),
         true},
        {"a nested multipart, LF only", inMultipart(nested, "\n"), true},
        {"a nested multipart, CR only", inMultipart(nested, "\r"), true},
        {"a nested multipart whose closing delimiter ends the part",
         inMultipart("Content-Type: multipart/alternative; boundary=c\n\n--c\n\none\n--c--"), true},
        {"extended sections after a plain first one, the line rewritten",
         inMultipart("Content-Disposition: attachment; filename*0=a; filename*1*=%41%C3%A9; "
                     "filename*2=\"%42\"; name*0=\"b \"; name*1*=%C3%A4" +
                     rewritten + "\n\nbody"),
         true},
        {"a first section no strict reader takes, its 8-bit comment encoded once fitted",
         inMultipart("Content-Disposition: attachment; filename*0*=x(; \xA9)z'en'a; "
                     "filename*0*=utf-8''b; filename*1=c; filename*1=d\n\nbody"),
         true},
        // RFC 2047 words in quoted parameter values, as every peer reads them.
        {"encoded words in a quoted file name, the line rewritten",
         inMultipart("Content-Disposition: attachment; "
                     "filename=\"=?UTF-8?Q?r=C3=A9sum=C3=A9.doc?=\"" +
                     rewritten + "\n\nbody"),
         true},
        {"encoded words with and without blanks between them",
         inMultipart("Content-Type: text/plain; name=\"=?utf-8?q?r=C3=A9?= =?utf-8?b?c3Vtw6k=?=\"\n"
                     "Content-Disposition: attachment; "
                     "filename=\"=?utf-8?q?r=C3=A9?==?iso-8859-1?q?sum=E9?=\"\n\nbody"),
         true},
        {"encoded words among plain words",
         inMultipart("Content-Disposition: attachment; "
                     "filename=\"Rechnung  =?utf-8?q?M=C3=A4rz?= =?utf-8?q?_2024?=.pdf\"" +
                     rewritten + "\n\nbody"),
         true},
        {"encoded words in sections",
         inMultipart("Content-Disposition: attachment; filename*0=\"=?utf-8?q?r=C3=A9?=\"; "
                     "filename*1=\"=?utf-8?q?sum=C3=A9?=\"" +
                     rewritten + "\n\nbody"),
         true},
        {"encoded words that read apart in their sections, glued or blank, once joined",
         inMultipart("Content-Disposition: attachment; filename*0=\"ab\"; "
                     "filename*1=\"=?utf-8?q?c?=\"; name*0=\"=?utf-8?q?a?= \"; "
                     "name*1=\"=?utf-8?q?b?=\"" +
                     rewritten + "\n\nbody"),
         true},
        {"encoded words beside 8-bit text, which goes as an RFC 2231 value",
         inMultipart("Content-Type: text/plain; name=\"caf\xC3\xA9 =?utf-8?q?x?=\"\n\nbody"), true},
        {"an RFC 2231 value that would read as an encoded word quoted, the line rewritten",
         inMultipart("Content-Disposition: attachment; filename*=utf-8''%3D%3Futf-8%3Fq%3Fa%3F%3D" +
                     rewritten + "\n\nbody"),
         true},
        // RFC 2047 words glued to each other or to text, in the Subject and
        // in display names, the lines rewritten for their 8-bit text.
        {"glued encoded words",
         "Subject: K\xC3\xB6ln =?utf-8?q?J=C3=BC?==?utf-8?q?rgen?= "
         "=?utf-8?b?SsO8?==?utf-8?b?cmdlbg==?=\n"
         "From: K\xC3\xB6ln =?utf-8?q?J=C3=BC?==?utf-8?q?rgen?= <a@example.com>\n\nbody\n",
         true},
        {"glued words with a character split between them, in other charsets, next to text",
         "Subject: K\xC3\xB6ln abc=?utf-8?q?J=C3?==?utf-8?b?vHJnZW4=?=def "
         "=?iso-8859-1?q?=FC?==?utf-8?q?x?=\n"
         "From: K\xC3\xB6ln =?utf-8?q?J=C3?==?utf-8?q?=BCrgen?=x <a@example.com>, "
         "x=?utf-8?q?a?= <b@example.com>\n\nbody\n",
         true},
        {"encoded words with a comment between them in a display name",
         "From: K\xC3\xB6ln =?utf-8?q?a?= (c) =?utf-8?q?b?= <a@example.com>\n\nbody\n", true},
        {"an encoded word that does not decode stays as it came",
         "Subject: K\xC3\xB6ln =?utf-8?q?Fr=F6sche?= x=?utf-8?q?=FF?==?utf-8?q?y?=\n"
         "From: K\xC3\xB6ln x =?utf-8?q?Fr=F6sche?= y <a@example.com>\n"
         "\nbody\n",
         true, false, Reader::ours},
        // Words that do not decode where keeping them would pass 998 octets.
        {"an encoded word that does not decode goes as it came when the text glued to it moves",
         "Subject: " + std::string(990, 'b') + "=?utf-8?q?Fr=F6sche?=\n\nbody\n", true, false,
         Reader::ours},
        {"encoded words that do not decode, longer than a line or 8-bit, go as the text they "
         "read as",
         "Subject: =?utf-8?q?" + std::string(1000, 'a') + "=FF?= =?utf-8?q?caf\xC3\xA9=FF?=" +
             "=?us-ascii?q?" + std::string(1000, 'b') + "=FF?=\n\nbody\n",
         true, false, Reader::ours, true},
        {"encoded words longer than a line go as RFC 2231 sections",
         inMultipart("Content-Type: text/plain; name=\"=?utf-8?q?" + std::string(1000, 'a') +
                     "?=\"\nContent-Disposition: attachment; filename=\"=?utf-8?q?" +
                     std::string(990, 'a') + "=C3=A9?= =?utf-8?q?b?=\"\n\nbody"),
         true},
        {"what is no encoded word stays",
         inMultipart("Content-Disposition: attachment; filename=\"a=?utf-8?q?b?= =?utf-8?x?c?=\"; "
                     "name=\"=?utf-8?q?a_b?=\"" +
                     rewritten + "\n\nbody"),
         true},
    };
    std::vector<std::string> inputs;
    std::vector<std::string> ours;
    for (const Shape& shape : shapes)
    {
        SCOPED_TRACE(shape.fault);
        Object message(shape.text.data(), shape.text.size());
        ours.push_back(ourReading(message));
        inputs.push_back(shape.text);
        inputs.push_back(message.str(true));
        EXPECT_EQ(message.fix(Capabilities::standard()), shape.fits);
        std::string fitted = message.str(false);
        inputs.push_back(fitted);
        if (shape.fits) EXPECT_EQ(sevenBitFault(fitted), "");
        Object again(fitted.data(), fitted.size());
        ours.push_back(ourReading(again));
    }
    std::vector<std::string> readings = pythonPartReadings(inputs);
    std::vector<std::string> rfc = pythonPartReadings(inputs, true);
    for (size_t i = 0; i < shapes.size(); ++i)
    {
        SCOPED_TRACE(shapes[i].fault);
        const std::string& original = readings[3 * i + (shapes[i].pythonReadsWritten ? 1 : 0)];
        const std::string& expected = shapes[i].reader == Reader::python ? original
                                      : shapes[i].reader == Reader::ours ? ours[2 * i]
                                                                         : rfc[3 * i];
        EXPECT_EQ(readingDifference(ours[2 * i], expected), "") << "ours";
        EXPECT_EQ(readingDifference(readings[3 * i + 1], original), "") << "written";
        EXPECT_EQ(readingDifference(readings[3 * i + 2],
                                    shapes[i].pythonReadsFittedAsOurs ? ours[2 * i] : original),
                  "")
            << "fitted";
        EXPECT_EQ(readingDifference(ours[2 * i + 1], expected), "") << "ours fitted";
    }
}

} // namespace
