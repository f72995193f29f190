#pragma once

#include "mime/dkim/dkimheaderfields.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Mime
{
namespace detail
{

/**
 * Reads the tag list of an ARC-Seal or ARC-Message-Signature value (RFC
 * 8617 4.1) into the fields of a signature value: i= is the instance in
 * decimal, unknown tags are kept unchecked, empty h= items are skipped and
 * t= and x= must hold digits. `strict` refuses a bad tag instead of
 * skipping it. Throws std::runtime_error.
 */
void readArcTags(const char* data, size_t size, bool strict, std::vector<std::string>& order,
                 std::map<std::string, std::string>& tags, DkimHeaderFields& headers);

/// The instance of an i= value read by readArcTags, or of a decimal with
/// an optional sign; throws std::runtime_error "arc header contains invalid
/// instance identifier" when there is none. Large values are cut to a
/// million, beyond every valid instance.
int arcInstance(const std::map<std::string, std::string>& tags);
int arcInstance(const std::string& word);

/// The digest name of an ARC a= tag: ARC signs with rsa-sha256 only.
/// Throws "digest algorithm not set" or "unsupported digest algorithm".
const char* arcDigest(const std::string& algorithm);

} // namespace detail
} // namespace Mime
} // namespace Kestrava
