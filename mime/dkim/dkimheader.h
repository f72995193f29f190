#pragma once

#include "mime/dkim/extraheaders.h"

#include <string>

namespace Kestrava
{
namespace Mime
{

class Canonicalization;
class Capabilities;
class DkimKey;
class Line;
class Object;

/**
 * A fresh DKIM-Signature for a message: the lines of the default names and
 * the extra ones, bottom-up, and the body as written for the capabilities.
 * What is signed is exactly the line that is stored, less its b= value.
 */
class DkimHeader
{
public:
    /// Throws std::runtime_error "Cannot create DKIM header without a from
    /// address", the algorithm errors and those of OpenSSL.
    template <typename List>
    DkimHeader(const Capabilities& capabilities, const Object& object, const DkimKey& key,
               const ExtraHeaders<List>& extra, long expire, bool twice,
               const Canonicalization& canonicalization);
    virtual ~DkimHeader() = default;

    /// Whether the line is a DKIM-Signature of the key, which signing
    /// replaces.
    static bool ownedBy(const Line& line, const DkimKey& key);

    /// The complete value, b= included.
    std::string value;
    /// The whole line as stored: name, folded value and CR LF.
    std::string line;
};

} // namespace Mime
} // namespace Kestrava
