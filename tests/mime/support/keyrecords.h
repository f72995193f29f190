#pragma once

#include "dns/records/dkimrecords.h"

#include <memory>
#include <string>
#include <vector>

namespace Kestrava
{
namespace Test
{

/// The key records of a TXT answer whose records hold these texts, as a
/// DKIM key lookup would have collected them.
std::unique_ptr<Dns::DkimRecords> keyRecords(const std::vector<std::string>& texts);

/// The text of a file of the dkimpy test vectors.
std::string vector(const std::string& name);

/// A text with every LF that is not after a CR turned into CR LF.
std::string crlf(const std::string& text);

} // namespace Test
} // namespace Kestrava
