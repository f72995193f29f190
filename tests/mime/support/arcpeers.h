#pragma once

#include "tests/mime/support/peers.h"

#include <string>

namespace Kestrava
{
namespace Test
{

/// The message with a new ARC set of the peer (dkimpy or Mail::DKIM),
/// signed with the shared key as `selector` of example.com for the service
/// `srvid`, whose Authentication-Results field must be in the message.
std::string arcSeal(Peer peer, const std::string& message, const std::string& selector,
                    const std::string& srvid = "relay.example");

/// The peer's chain result: "pass", "fail" or "none"; every key lookup
/// gets the shared key's record.
std::string arcValidate(Peer peer, const std::string& message);

} // namespace Test
} // namespace Kestrava
