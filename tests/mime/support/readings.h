#pragma once

#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{
class Object;
}
namespace Test
{

/// What Python's email (policy.default) reads in each message: every
/// part's type and parameters, the preamble and epilogue of a multipart,
/// the decoded content of a leaf, one line each. CR LF, LF and a lone CR
/// count the same: line ends are the transport's.
std::vector<std::string> pythonReadings(const std::vector<std::string>& messages);

/// The composite parts (multipart, message) of each message that Python's
/// email finds labelled 8bit or binary, which a 7-bit receiver refuses
/// (RFC 2045 6.4), one line each.
std::vector<std::string> pythonCompositeLabels(const std::vector<std::string>& messages);

/// What Python's email (policy.default) reads in each message, in a form
/// that ourReading() gives too: a line with the Subject and the display
/// names of the From, then a line per part, depth first, with the
/// Content-Type and Content-Disposition parameters (names in lower case,
/// values as UTF-8), then a multipart's preamble and epilogue or a leaf's
/// decoded content, every text in hex, its line ends made LF. With
/// `rfcQuotedPrintable`, quoted-printable goes through quopri's own
/// decoder, which deletes the blanks that end a line (RFC 2045 6.7), not
/// binascii's.
std::vector<std::string> pythonPartReadings(const std::vector<std::string>& messages,
                                            bool rfcQuotedPrintable = false);

/// What our library reads in the message, in the form of
/// pythonPartReadings().
std::string ourReading(const Mime::Object& message);

/// The first line in which two readings differ, or "".
std::string readingDifference(const std::string& ours, const std::string& original);

/// Why a 7-bit receiver would refuse the text as it stands (a byte from
/// 0x80, a NUL, a line end other than CR LF, a line over 998 octets), or "".
std::string sevenBitFault(const std::string& text);

} // namespace Test
} // namespace Kestrava
