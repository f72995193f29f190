#pragma once

#include "mime/fields/contenttype.h"

#include <cstddef>
#include <memory>
#include <optional>

namespace Kestrava
{
namespace Mime
{

class Body;
class Capabilities;
class Encodable;
class Header;
class Object;

namespace detail
{

// How mail readers take a part (its type, its labels, its encoded text):
// what repair() may change and what fix() may promise rests on it.

/// The type of the Content-Type, or none where it does not read.
std::optional<ContentType::Type> typeOf(const Header& header);

/// Whether a Content-Type that does not read names a multipart or message
/// type all the same: readers take the word before its "/" ("multipart/
/// mixed", "message/rfc822 x"), and such a body may not be encoded.
bool compositeAnyway(const Header& header, const std::optional<ContentType::Type>& type);

/// Whether the body, of that type, is a message of its own, to be repaired
/// inside. In a digest a part without a type is a message. The other
/// message types (a delivery status, a fragment, an external body's header)
/// only look like one: a field put into their text would change what they
/// say.
bool embedsMessage(const Header& header, const std::optional<ContentType::Type>& type,
                   bool inDigest);

/// Whether the body is in an encoding that can be undone here: one of the
/// five, or none named. Another (x-uuencode, say) cannot be re-encoded.
bool knownEncoding(const Header& header);

/// Whether readers agree on what the text in its encoding holds, so that
/// it may be decoded and encoded anew. In quoted-printable some take "=="
/// for "=" and keep an "=" before blanks (Python's email), where others
/// keep both or take it for a soft line break (RFC 2045 6.7). In base64 a
/// character past the last whole quantum is dropped by some, while others
/// then give the text undecoded. A label with more than its name (blanks
/// after it, a comment) some do not read at all (Python's email).
bool decodesAlike(const Header& header, const Body& body);

/// The encoding for a text in lines: quoted-printable, which makes every
/// line break CR LF, unless the text is not text and holds a lone CR or LF,
/// which then is a byte to keep: base64 keeps every byte.
int lineEncoding(const Header& header, const Body& body);

/// How deep repair() descends into parts and embedded messages.
constexpr size_t repairDepth = 64;

/// Whether the element goes to the receiver as it was read: a signature
/// over it holds.
bool asRead(const Encodable& element, const Capabilities& capabilities);

/// Whether the ARC fields go out as they were read: each seal covers the
/// fields of every set before it (RFC 8617 5.1.1), so one written anew
/// breaks the chain for good, whatever set is added after it.
bool arcFieldsAsRead(const Header& header, const Capabilities& capabilities);

/// Whether the part is labelled 8bit or binary.
bool eightBitLabel(const Header& header);

/// The message that a message part carries, parsed from its text, or null
/// for an empty one. Before a delimiter line it ends where the part's
/// content ends.
std::shared_ptr<Object> embeddedMessage(const Body& body);

/// Whether a message part's text is a message as it stands: not in an
/// encoding that would first have to be undone, which none may have.
bool readableMessage(const Header& header);

/// Whether the object as it is written goes to the receiver as it stands,
/// beyond its bytes: no multipart or message part labelled 8bit or binary,
/// inside embedded messages too (RFC 2045 6.4), and the first part of every
/// signed multipart as it was read, as its signature covers it (RFC 1847
/// 2.1). Nested too deeply to tell, it does not.
bool labelsHold(const Object& object, const Capabilities& capabilities, bool inDigest, size_t depth);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
